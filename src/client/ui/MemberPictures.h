// The member tree's six built-in pictures, drawn with QPainter: four 16x16
// status marks ("ICON0" host, "ICON1" member, "ICON2" away, "ICON9" blank)
// and two 32x32 member pictures ("DEFUSER", "AWAYUSER").
#pragma once

#include <QPixmap>
#include <string_view>

namespace novalune::ui {

inline constexpr int kMarkSize = 16;
inline constexpr int kPictureSize = 32;

// A status mark by its resource name; an unknown name gives the member mark.
const QPixmap& StatusMark(std::string_view name);
// A member picture by name; any name other than "AWAYUSER" (a picture that
// could not be loaded, or none yet) gives the default picture.
const QPixmap& MemberPicture(std::string_view name);

}  // namespace novalune::ui
