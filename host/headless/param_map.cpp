#include "host/headless/param_map.h"

#include "host/headless/validated_value.h"
#include "host/sdk/winuser.h"

ParamMap2::ParamMap2(IParamBlock2* block, ParamMap2UserDlgProc* proc) : proc_(proc) { SetParamBlock(block); }

ParamMap2::~ParamMap2() {
  if (window_) SetWindowLongPtrW(window_, GWLP_USERDATA, 0);  // its window no longer reaches the map
  if (block_ && block_->GetMap() == this) block_->SetMap(nullptr);
}

void ParamMap2::SetParamBlock(IParamBlock2* pb) {
  if (block_ && block_->GetMap() == this) block_->SetMap(nullptr);
  block_ = pb;
  if (block_) block_->SetMap(this);
  Invalidate();
}

bool ParamMap2::EnterValue(ParamID id, const PB2Value& v, TimeValue t) {
  bool stored = SetValidatedValue(block_, id, v, t);
  Invalidate();  // a refused value shows the old one again
  return stored;
}
