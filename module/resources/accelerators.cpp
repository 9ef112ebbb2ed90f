#include "module/resources/accelerators.h"

#include "module/resources/resource_ids.h"

namespace {

constexpr BYTE kKey = FVIRTKEY;
constexpr BYTE kAlt = FVIRTKEY | FALT;
constexpr BYTE kCtrl = FVIRTKEY | FCONTROL;
constexpr BYTE kShift = FVIRTKEY | FSHIFT;

// In the order of the action table's rows: flags, virtual key, command id.
constexpr ACCEL kEntries[] = {
    {kAlt, 'V', 1274},          // Visualization toggle
    {kAlt, 'M', 1275},          // Fluxel & Orbicle On/Off
    {kAlt, 'O', 1273},          // Fluxel & Orbicle Show/Hide
    {kKey, VK_PRIOR, 1278},     // Select Parent Bone
    {kCtrl, VK_PRIOR, 1279},    // Select All Parents
    {kKey, VK_NEXT, 1280},      // Select Child Bone
    {kCtrl, VK_NEXT, 1281},     // Select All Children
    {kCtrl, 'X', 1282},         // Exclude
    {kShift, 'X', 1283},        // Include
    {kKey, VK_SUBTRACT, 1284},  // Shrink Vertex Selection
    {kKey, VK_ADD, 1285},       // Grow Vertex Selection
    {kAlt, 'R', 1286},          // Select Ring
    {kAlt, 'L', 1287},          // Select Loop
    {kKey, '1', 1288},          // Bone Mode
    {kKey, '2', 1289},          // Vertex Mode
    {kKey, VK_SPACE, 1290},     // Bone Select Toggle
    {kKey, 'D', 1292},          // Paint
    {kCtrl, 'D', 1293},         // Paint Options
    {kAlt, 'B', 1320},          // Bone visualization toggle
};

constexpr AcceleratorTableResource kTable{IDR_TESSARIN_ACCELERATORS, kEntries};

}  // namespace

const AcceleratorTableResource& TessarinAccelerators() { return kTable; }
