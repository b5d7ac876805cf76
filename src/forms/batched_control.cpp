#include "forms/batched_control.h"

namespace pendrel::forms {

UpdateBatch::~UpdateBatch() {
  if (owner_) owner_->end_update();
}

UpdateBatch BatchedControl::begin_update() {
  ++depth_;
  return UpdateBatch(this);
}

void BatchedControl::end_update() {
  if (--depth_ == 0) flush_updates();
}

void BatchedControl::item_changed(const Change& change) {
  if (depth_ > 0) {
    pending_ = true;
    return;
  }
  changed(change);
}

void BatchedControl::flush_updates() {
  if (take_pending()) changed(Change{collection_});
}

}  // namespace pendrel::forms
