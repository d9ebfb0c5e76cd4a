// The member tree's six built-in pictures, drawn with QPainter: four 16x16
// status marks ("ICON0" host, "ICON1" member, "ICON2" away, "ICON9" blank)
// and two 32x32 member pictures ("DEFUSER", "AWAYUSER").
#pragma once

#include <QByteArray>
#include <QMovie>
#include <QObject>
#include <QPixmap>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace novalune::ui {

inline constexpr int kMarkSize = 16;
inline constexpr int kPictureSize = 32;

// A status mark by its resource name; an unknown name gives the member mark.
const QPixmap& StatusMark(std::string_view name);
// A member picture by name; any name other than "AWAYUSER" (a picture that
// could not be loaded, or none yet) gives the default picture.
const QPixmap& MemberPicture(std::string_view name);

// Downloaded member pictures, each under a name of its own ("GIF:1", "GIF:2",
// ...) that the engine's member rows carry. A row that gets a new picture
// leaves the old one unused; Keep drops those, so the store never holds more
// pictures than there are rows.
class PictureStore : public QObject {
  Q_OBJECT
 public:
  explicit PictureStore(QObject* parent = nullptr) : QObject(parent) {}
  ~PictureStore() override;

  // The picture's name, or "" when the data is no picture Qt can decode.
  std::string Add(const QByteArray& gif);
  // The animation of a name, or null for the built-in pictures.
  QMovie* Movie(std::string_view name) const;
  // Drops every picture whose name is not in `used`.
  void Keep(const std::set<std::string>& used);
  std::size_t Count() const { return movies_.size(); }
  const std::map<std::string, std::unique_ptr<QMovie>, std::less<>>& All() const { return movies_; }

 signals:
  // A picture shows another frame.
  void frameChanged(const std::string& name);

 private:
  std::map<std::string, std::unique_ptr<QMovie>, std::less<>> movies_;
  unsigned long long next_ = 1;
};

}  // namespace novalune::ui
