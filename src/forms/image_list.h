// ImageList: pictures counted from 1, each a picture resource id, all of one
// size (16 x 16 unless the design says otherwise). Never shown itself.
#pragma once

#include <string>
#include <vector>

#include "forms/control.h"

namespace pendrel::forms {

struct ListImage {
  int picture = 0;
  std::wstring key;
};

class ImageList : public Control {
 public:
  explicit ImageList(const ControlSite& site) : Control(site, ControlKind::ImageList) {}

  int image_width() const { return image_width_; }
  int image_height() const { return image_height_; }
  // Pixels; fixed before the first image is added (5 afterwards).
  void set_image_size(int width, int height);

  // Appends a picture; returns its position. A duplicate key raises 35602.
  int add(int picture, std::wstring key = {});
  int count() const { return static_cast<int>(images_.size()); }
  // Raises 35600 outside 1..count.
  const ListImage& image(int position) const;
  // The position of the picture with this key; 0 when none.
  int position_of(std::wstring_view key) const;

 private:
  int image_width_ = 16;
  int image_height_ = 16;
  std::vector<ListImage> images_;
};

}  // namespace pendrel::forms
