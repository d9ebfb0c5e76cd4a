#include "qtsupport/GifMovie.h"

#include <QBuffer>

namespace novalune::qtsupport {

std::unique_ptr<QMovie> GifMovie(const QByteArray& gif) {
  auto* buffer = new QBuffer;
  buffer->setData(gif);
  auto movie = std::make_unique<QMovie>(buffer, QByteArrayLiteral("gif"));
  buffer->setParent(movie.get());
  if (!movie->isValid() || !movie->jumpToFrame(0)) return nullptr;
  return movie;
}

}  // namespace novalune::qtsupport
