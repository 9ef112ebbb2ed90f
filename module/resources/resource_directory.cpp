#include "module/resources/resource_directory.h"

#include "module/resources/about_picture.h"
#include "module/resources/accelerators.h"
#include "module/resources/cursors.h"
#include "module/resources/dialog_templates.h"
#include "module/resources/resource_ids.h"
#include "module/resources/string_entries.h"

namespace {

class Directory : public ModuleResourceDirectory {
public:
  const wchar_t* FindString(UINT id) const override {
    const auto& entries = StringEntries();
    auto it = entries.find(static_cast<int>(id));
    return it == entries.end() ? nullptr : it->second;
  }

  const DialogTemplateResource* FindDialog(int id) const override {
    for (const DialogTemplateResource& d : DialogTemplates())
      if (d.id == id) return &d;
    return nullptr;
  }

  const AcceleratorTableResource* FindAccelerators(int id) const override {
    const AcceleratorTableResource& table = TessarinAccelerators();
    return table.id == id ? &table : nullptr;
  }

  const CursorResource* FindCursor(int id) const override {
    for (const CursorResource& c : CursorResources())
      if (c.id == id) return &c;
    return nullptr;
  }

  const RawDataResource* FindData(int id, int type) const override {
    return id == picture_.id && type == picture_.type ? &picture_ : nullptr;
  }

private:
  RawDataResource picture_{IDR_ABOUT_PICTURE, RT_RCDATA_TYPE, AboutPicturePng()};
};

}  // namespace

const ModuleResourceDirectory& TessarinResources() {
  static const Directory directory;
  return directory;
}

HINSTANCE TessarinResourceHandle() { return ModuleHandleOf(&TessarinResources()); }
