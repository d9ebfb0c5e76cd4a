// An animation held in memory: the GIF's bytes stay with the movie, so no
// file has to outlive the download.
#pragma once

#include <QByteArray>
#include <QMovie>
#include <memory>

namespace novalune::qtsupport {

// The movie showing its first frame, or null when the bytes are no GIF Qt can decode.
std::unique_ptr<QMovie> GifMovie(const QByteArray& gif);

}  // namespace novalune::qtsupport
