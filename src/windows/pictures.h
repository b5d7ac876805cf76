// The pictures the windows show, by resource id: the renderer draws each id
// from the picture resource of that number (Image, ImageList, custom mouse
// pointers). The two account and tree image lists share one set of 16 x 16
// images, so that a position means the same thing in every list.
#pragma once

namespace pendrel::windows {

namespace picture {
// 32 x 32: the details window's reachability pictures.
inline constexpr int kOnLine = 101;
inline constexpr int kOffLine = 102;
// The pointer over the details window's "click to load" captions.
inline constexpr int kClickToLoadPointer = 110;
// 16 x 16, in image list order (ImageList1(2), positions 1 to 12).
inline constexpr int kFolderClosed = 201;
inline constexpr int kFolderOpen = 202;
inline constexpr int kPackage = 203;
inline constexpr int kPackageReinstall = 204;
inline constexpr int kGlobalGroup = 205;
inline constexpr int kManagedItem = 206;  // assigned user, logical computer group
inline constexpr int kUser = 207;
inline constexpr int kLocalGroup = 208;
inline constexpr int kLogonSession = 209;
inline constexpr int kComputer = 210;
inline constexpr int kInteractiveUser = 211;
inline constexpr int kComputerLocalGroup = 212;
inline constexpr int kFirstListImage = kFolderClosed;
inline constexpr int kListImageCount = 12;
}  // namespace picture

}  // namespace pendrel::windows
