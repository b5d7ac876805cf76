// A control whose rows or nodes can be loaded in bulk: while an UpdateBatch is
// open the per-item announcements are held back, and the renderer hears once
// that the whole collection changed when the last batch closes (or when the
// window is refreshed meanwhile, so that a long load shows its progress).
#pragma once

#include <utility>

#include "forms/control.h"

namespace pendrel::forms {

class BatchedControl;

// Must not outlive the load of the control it belongs to.
class UpdateBatch {
 public:
  UpdateBatch(UpdateBatch&& other) noexcept : owner_(other.owner_) { other.owner_ = nullptr; }
  UpdateBatch(const UpdateBatch&) = delete;
  UpdateBatch& operator=(const UpdateBatch&) = delete;
  UpdateBatch& operator=(UpdateBatch&&) = delete;
  ~UpdateBatch();

 private:
  friend class BatchedControl;
  explicit UpdateBatch(BatchedControl* owner) : owner_(owner) {}
  BatchedControl* owner_;
};

class BatchedControl : public Control {
 public:
  [[nodiscard]] UpdateBatch begin_update();
  bool updating() const { return depth_ > 0; }

 protected:
  BatchedControl(const ControlSite& site, ControlKind kind, Property collection)
      : Control(site, kind), collection_(collection) {}

  // Announces a change of one row or node, or holds it back during a batch.
  void item_changed(const Change& change);
  void flush_updates() override;
  // Whether changes were held back since the last flush; clears the mark.
  bool take_pending() { return std::exchange(pending_, false); }

 private:
  friend class UpdateBatch;
  void end_update();

  Property collection_;
  int depth_ = 0;
  bool pending_ = false;
};

}  // namespace pendrel::forms
