// The pictures a design gives an Image, an ImageList image or a custom mouse
// icon, by id; the renderer draws them at run time. Ids 1 to 12 are the small
// icons of the tree and list image lists, numbered like their positions
// there; an id not listed still gets a distinct drawn icon.
#pragma once

namespace pendrel::forms::picture {

inline constexpr int kFolderClosed = 1;
inline constexpr int kFolderOpen = 2;
inline constexpr int kPackage = 3;
inline constexpr int kPackageReinstall = 4;
inline constexpr int kGlobalGroup = 5;
inline constexpr int kProductGroup = 6;
inline constexpr int kUser = 7;
inline constexpr int kDomainLocalGroup = 8;
inline constexpr int kLogonSession = 9;
inline constexpr int kComputer = 10;
inline constexpr int kInteractiveUser = 11;
inline constexpr int kComputerLocalGroup = 12;

// The large pictures of the details window (32 x 32).
inline constexpr int kOnLine = 101;
inline constexpr int kOffLine = 102;

// The pointer of the "click to load" captions.
inline constexpr int kHandPointer = 201;

}  // namespace pendrel::forms::picture
