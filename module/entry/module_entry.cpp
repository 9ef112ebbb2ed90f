// The plug-in module's entry points (C linkage, exported by name) and its load-time set-up.
// The host loads the module, then calls LibVersion, LibNumberClasses, LibClassDesc for each
// index, LibDescription and LibInitialize; LibShutdown at exit.

#include <string>

#include "host/sdk/plugapi.h"
#include "module/entry/module_setup.h"
#include "module/registry/class_descs.h"
#include "module/resources/text_conversion.h"
#include "module/resources/version_text.h"

#define TESSARIN_EXPORT extern "C" __attribute__((visibility("default")))

TESSARIN_EXPORT const MCHAR* LibDescription();
TESSARIN_EXPORT int LibNumberClasses();
TESSARIN_EXPORT ClassDesc* LibClassDesc(int i);
TESSARIN_EXPORT ULONG LibVersion();
TESSARIN_EXPORT int LibInitialize();
TESSARIN_EXPORT int LibShutdown();

namespace {

// Runs when the library is loaded, before the host calls any entry point.
const ModuleAttachment g_attachment;

}  // namespace

const MCHAR* LibDescription() {
  static const std::wstring text =
      Utf8ToWide("Tessarin " + VersionText(kTessarinVersionCode) +
                 ": character skinning by bone ellipsoids, with secondary motion and influence sources");
  return text.c_str();
}

int LibNumberClasses() { return kModuleClassCount; }

ClassDesc* LibClassDesc(int i) { return ModuleClassDesc(i); }

ULONG LibVersion() { return VERSION_3DSMAX; }

int LibInitialize() { return TRUE; }

int LibShutdown() { return TRUE; }
