#include "persistence/skin_chunks/param_block_conversion.h"

#include <iterator>

#include "deformer/tessarin.h"
#include "host/sdk/iparamb2_plcb.h"
#include "module/registry/tessarin_parameters.h"

namespace {

// Every old entry is a plain integer switch. Each layout adds one switch to the one before.
ParamBlockDescID kSwitches[] = {
    {TYPE_INT, nullptr, FALSE, use_inertia},
    {TYPE_INT, nullptr, FALSE, use_oscillation},
    {TYPE_INT, nullptr, FALSE, use_stack},
    {TYPE_INT, nullptr, FALSE, use_orbicles},
    {TYPE_INT, nullptr, FALSE, use_fluxels},
};

// Version 3: inertia and oscillation; 4 adds the stack switch, 5 the orbicles, 6 the fluxels.
ParamVersionDesc kOldLayouts[] = {
    ParamVersionDesc(kSwitches, 2, 3),
    ParamVersionDesc(kSwitches, 3, 4),
    ParamVersionDesc(kSwitches, 4, 5),
    ParamVersionDesc(kSwitches, 5, 6),
};

}  // namespace

void RegisterParamBlockConversion(Tessarin& skin, ILoad* iload) {
  iload->RegisterPostLoadCallback(new ParamBlock2PLCB(kOldLayouts, static_cast<int>(std::size(kOldLayouts)),
                                                      &tessarinParameters, &skin, kTessarinParamsRef));
}
