#include "module/resources/dialog_templates.h"

#include "module/resources/resource_ids.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kRollout = WS_CHILD | WS_VISIBLE | DS_SETFONT;
constexpr DWORD kModalBox = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

constexpr DialogControlResource Label(const wchar_t* text, int x, int y, int cx) {
  return {-1, L"Static", text, kChild | SS_LEFT, x, y, cx, 8};
}
constexpr DialogControlResource Group(const wchar_t* text, int x, int y, int cx, int cy) {
  return {-1, L"Button", text, kChild | BS_GROUPBOX, x, y, cx, cy};
}
constexpr DialogControlResource Check(int id, const wchar_t* text, int x, int y, int cx) {
  return {id, L"Button", text, kChild | WS_TABSTOP | BS_AUTOCHECKBOX, x, y, cx, 10};
}
// The first button of a radio group carries WS_GROUP.
constexpr DialogControlResource Radio(int id, const wchar_t* text, int x, int y, bool first = false) {
  return {id, L"Button", text, kChild | BS_AUTORADIOBUTTON | (first ? WS_GROUP | WS_TABSTOP : 0), x, y, 44, 10};
}
constexpr DialogControlResource Edit(int id, int x, int y) { return {id, L"CustEdit", L"", kChild | WS_TABSTOP, x, y, 35, 10}; }
constexpr DialogControlResource Spinner(int id, int x, int y) { return {id, L"SpinnerControl", L"", kChild, x, y, 7, 10}; }
constexpr DialogControlResource Push(int id, const wchar_t* text, int x, int y, int cx, int cy) {
  return {id, L"CustButton", text, kChild | WS_TABSTOP, x, y, cx, cy};
}

// The skin modifier's command-panel page: three buttons.
constexpr DialogControlResource kPanel[] = {
    Push(IDC_HELP_BUTTON, L"Help", 4, 3, 99, 14),
    Push(IDC_IMPORT_TSM, L"Import TSM File", 4, 19, 99, 14),
    Push(IDC_ABOUT_BUTTON, L"About Tessarin Proxy", 4, 35, 99, 14),
};

// The skin's switches (the automatic rollout of its parameter block).
constexpr DialogControlResource kSwitches[] = {
    Check(IDC_USE_INERTIA, L"Inertia", 8, 4, 60),
    Check(IDC_USE_OSCILLATION, L"Oscillation", 8, 16, 60),
    Check(IDC_USE_STACK, L"Use stack", 8, 28, 60),
    Check(IDC_USE_FLUXELS, L"On", 8, 40, 60),
    Check(IDC_USE_DUAL_QUATERNION, L"Dual-Quat", 8, 52, 60),
    Check(IDC_USE_LINKED, L"Linked", 8, 64, 60),
};

// Wobblex: inertia and three oscillation axes, each a column of labelled spinners.
constexpr DialogControlResource kWobblex[] = {
    Group(L"Inertia", 4, 2, 100, 38),
    Label(L"Delay", 10, 13, 36), Edit(IDC_DELAY_EDIT, 48, 12), Spinner(IDC_DELAY_SPIN, 84, 12),
    Label(L"Skid", 10, 26, 36), Edit(IDC_SKID_EDIT, 48, 25), Spinner(IDC_SKID_SPIN, 84, 25), Label(L"%", 94, 26, 8),

    Group(L"Oscillation X", 4, 42, 100, 62),
    Label(L"Amplitude", 10, 53, 36), Edit(IDC_AMPLITUDE_X_EDIT, 48, 52), Spinner(IDC_AMPLITUDE_X_SPIN, 84, 52),
    Label(L"%", 94, 53, 8),
    Label(L"Period", 10, 66, 36), Edit(IDC_PERIOD_X_EDIT, 48, 65), Spinner(IDC_PERIOD_X_SPIN, 84, 65),
    Label(L"Shift", 10, 79, 36), Edit(IDC_SHIFT_X_EDIT, 48, 78), Spinner(IDC_SHIFT_X_SPIN, 84, 78),
    Label(L"\u00B0", 94, 79, 8),
    Label(L"Throbbing", 10, 92, 36), Edit(IDC_THROBBING_X_EDIT, 48, 91), Spinner(IDC_THROBBING_X_SPIN, 84, 91),
    Label(L"%", 94, 92, 8),

    Group(L"Oscillation Y", 4, 106, 100, 62),
    Label(L"Amplitude", 10, 117, 36), Edit(IDC_AMPLITUDE_Y_EDIT, 48, 116), Spinner(IDC_AMPLITUDE_Y_SPIN, 84, 116),
    Label(L"%", 94, 117, 8),
    Label(L"Period", 10, 130, 36), Edit(IDC_PERIOD_Y_EDIT, 48, 129), Spinner(IDC_PERIOD_Y_SPIN, 84, 129),
    Label(L"Shift", 10, 143, 36), Edit(IDC_SHIFT_Y_EDIT, 48, 142), Spinner(IDC_SHIFT_Y_SPIN, 84, 142),
    Label(L"\u00B0", 94, 143, 8),
    Label(L"Throbbing", 10, 156, 36), Edit(IDC_THROBBING_Y_EDIT, 48, 155), Spinner(IDC_THROBBING_Y_SPIN, 84, 155),
    Label(L"%", 94, 156, 8),

    Group(L"Oscillation Z", 4, 170, 100, 62),
    Label(L"Amplitude", 10, 181, 36), Edit(IDC_AMPLITUDE_Z_EDIT, 48, 180), Spinner(IDC_AMPLITUDE_Z_SPIN, 84, 180),
    Label(L"%", 94, 181, 8),
    Label(L"Period", 10, 194, 36), Edit(IDC_PERIOD_Z_EDIT, 48, 193), Spinner(IDC_PERIOD_Z_SPIN, 84, 193),
    Label(L"Shift", 10, 207, 36), Edit(IDC_SHIFT_Z_EDIT, 48, 206), Spinner(IDC_SHIFT_Z_SPIN, 84, 206),
    Label(L"\u00B0", 94, 207, 8),
    Label(L"Throbbing", 10, 220, 36), Edit(IDC_THROBBING_Z_EDIT, 48, 219), Spinner(IDC_THROBBING_Z_SPIN, 84, 219),
    Label(L"%", 94, 220, 8),

    Push(IDC_WOBBLEX_ABOUT, L"", 4, 236, 100, 14),
};

// Orbicle: switches, segments, size, direction, blend and the three buttons.
constexpr DialogControlResource kOrbicle[] = {
    Check(IDC_ORBICLE_DISABLED, L"Disabled", 8, 3, 44),
    Check(IDC_ORBICLE_RENDERABLE, L"Renderable", 54, 3, 50),
    Label(L"Segments", 8, 16, 38), Edit(IDC_SEGMENTS_EDIT, 48, 15), Spinner(IDC_SEGMENTS_SPIN, 84, 15),

    Group(L"Size", 4, 27, 100, 43),
    Label(L"Length", 10, 38, 36), Edit(IDC_LENGTH_EDIT, 48, 37), Spinner(IDC_LENGTH_SPIN, 84, 37),
    Label(L"Width", 10, 49, 36), Edit(IDC_WIDTH_EDIT, 48, 48), Spinner(IDC_WIDTH_SPIN, 84, 48),
    Label(L"Height", 10, 60, 36), Edit(IDC_HEIGHT_EDIT, 48, 59), Spinner(IDC_HEIGHT_SPIN, 84, 59),

    Group(L"Direction", 4, 71, 100, 56),
    Radio(IDC_ORBICLE_OMNI, L"Omni", 10, 81, true),
    Radio(IDC_ORBICLE_FORWARD, L"Forward", 10, 92), Radio(IDC_ORBICLE_BACKWARD, L"Backward", 56, 92),
    Radio(IDC_ORBICLE_LEFT, L"Left", 10, 103), Radio(IDC_ORBICLE_RIGHT, L"Right", 56, 103),
    Radio(IDC_ORBICLE_UP, L"Up", 10, 114), Radio(IDC_ORBICLE_DOWN, L"Down", 56, 114),

    Label(L"Blend", 8, 131, 38), Edit(IDC_ORBICLE_BLEND_EDIT, 48, 130), Spinner(IDC_ORBICLE_BLEND_SPIN, 84, 130),
    Push(IDC_ORBICLE_PAINT, L"Paint", 4, 143, 48, 14),
    Push(IDC_ORBICLE_OPTIONS, L"Options", 56, 143, 48, 14),
    Push(IDC_ORBICLE_ABOUT, L"About", 4, 161, 100, 14),
};

// Fluxel: switches, direction, blend and the three buttons.
constexpr DialogControlResource kFluxel[] = {
    Check(IDC_FLUXEL_DISABLED, L"Disabled", 8, 3, 60),
    Check(IDC_FLUXEL_ORIGIN, L"Bounding Box Center", 8, 14, 95),

    Group(L"Direction", 4, 26, 100, 56),
    Radio(IDC_FLUXEL_OMNI, L"Omni", 10, 36, true),
    Radio(IDC_FLUXEL_FORWARD, L"Forward", 10, 47), Radio(IDC_FLUXEL_BACKWARD, L"Backward", 56, 47),
    Radio(IDC_FLUXEL_LEFT, L"Left", 10, 58), Radio(IDC_FLUXEL_RIGHT, L"Right", 56, 58),
    Radio(IDC_FLUXEL_UP, L"Up", 10, 69), Radio(IDC_FLUXEL_DOWN, L"Down", 56, 69),

    Label(L"Blend:", 8, 87, 38), Edit(IDC_FLUXEL_BLEND_EDIT, 48, 86), Spinner(IDC_FLUXEL_BLEND_SPIN, 84, 86),
    Push(IDC_FLUXEL_PAINT, L"Paint", 4, 101, 32, 14),
    Push(IDC_FLUXEL_OPTIONS, L"Options", 38, 101, 32, 14),
    Push(IDC_FLUXEL_ABOUT, L"About", 72, 101, 32, 14),
};

constexpr const wchar_t* kShellFont = L"MS Shell Dlg";
constexpr const wchar_t* kSansFont = L"MS Sans Serif";

// The About boxes draw everything themselves: no controls.
constexpr DialogTemplateResource kTemplates[] = {
    {IDD_ORBICLE, 108, 180, kRollout, L"", kShellFont, 8, kOrbicle},
    {IDD_ABOUT_TESSARIN, 450, 207, kModalBox, L"About Tessarin", kSansFont, 8, {}},
    {IDD_WOBBLEX, 108, 253, kRollout, L"", kShellFont, 8, kWobblex},
    {IDD_TESSARIN_PARAMS, 108, 78, kRollout, L"", kShellFont, 8, kSwitches},
    {IDD_TESSARIN_PANEL, 108, 54, kRollout, L"", kShellFont, 8, kPanel},
    {IDD_FLUXEL, 108, 121, kRollout, L"", kShellFont, 8, kFluxel},
    {IDD_ABOUT, 450, 207, kModalBox, L"About", kSansFont, 8, {}},
};

}  // namespace

std::span<const DialogTemplateResource> DialogTemplates() { return kTemplates; }
