#pragma once
// The skin modifier's internal editing interface (module/registry/skin_editor.h): a member of
// every Tessarin, handed out by Tessarin::GetInterface(SKIN_EDITOR_INTERFACE_ID).

#include "module/registry/skin_editor.h"

class Tessarin;

class TessarinEditor : public ISkinEditor {
public:
  explicit TessarinEditor(Tessarin& skin) : skin_(skin) {}
  TessarinEditor(const TessarinEditor&) = delete;
  TessarinEditor& operator=(const TessarinEditor&) = delete;

  Interface_ID GetID() override { return SKIN_EDITOR_INTERFACE_ID; }

  int AssignBones(const std::vector<SkinBoneAssignment>& bones) override;
  bool Attach(INode* node) override;
  bool SetBlendMix(const std::vector<float>& blendMix) override;
  bool SelectBones(const std::vector<bool>& selected) override;
  void SetSettings(const SkinSettings& settings) override;
  bool ImportExchangeFile() override;

  const SkinSettings& Settings() override;
  const BoneTable& Table() override;
  const WeightCache& Weights() override;
  float WeightOf(int bone, int vertex) override;
  bool LastEvaluationFailed() override;

private:
  Tessarin& skin_;
};
