#include "platform/win32/tavisk_binding.h"

#include "tavisk_api.h"

namespace pendrel::win32 {

Tavisk& tavisk_library() {
  static RawTavisk library(TaviskEntryPoints{
      &::NetGetInteractiveUser,
      &::NetRegLoadKey,
      &::NetRegUnLoadKey,
  });
  return library;
}

}  // namespace pendrel::win32
