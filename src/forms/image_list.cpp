#include "forms/image_list.h"

#include "forms/errors.h"

namespace pendrel::forms {

void ImageList::set_image_size(int width, int height) {
  if (!images_.empty()) throw Error::vb(vb_error::kInvalidProcedureCall);
  if (width <= 0 || height <= 0) throw form_failure(form_error::kInvalidPropertyValue);
  image_width_ = width;
  image_height_ = height;
}

int ImageList::add(int picture, std::wstring key) {
  if (!key.empty() && position_of(key) != 0) throw form_failure(form_error::kKeyNotUnique);
  images_.push_back(ListImage{picture, std::move(key)});
  return count();
}

const ListImage& ImageList::image(int position) const {
  if (position < 1 || position > count()) throw form_failure(form_error::kIndexOutOfBounds);
  return images_[position - 1];
}

int ImageList::position_of(std::wstring_view key) const {
  for (size_t i = 0; i < images_.size(); ++i) {
    if (images_[i].key == key) return static_cast<int>(i) + 1;
  }
  return 0;
}

}  // namespace pendrel::forms
