// What the transfer tests share: files of random bytes in a temporary folder,
// their SHA-256, and a receiver that connects and collects how it ended.
#pragma once

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <optional>

#include "client/net/FileTransferNet.h"
#include "support/TestSupport.h"

namespace novalune::test {

inline QString MakeFile(const QTemporaryDir& dir, const QString& name, qint64 size) {
  const QString path = dir.filePath(name);
  QFile file(path);
  file.open(QIODevice::WriteOnly);
  QByteArray block(64 * 1024, Qt::Uninitialized);
  for (qint64 left = size; left > 0; left -= block.size()) {
    QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(block.data()), block.size() / 4);
    file.write(block.constData(), std::min<qint64>(left, block.size()));
  }
  return path;
}

inline QByteArray Sha256(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "missing";
  QCryptographicHash hash(QCryptographicHash::Sha256);
  hash.addData(&file);
  return hash.result().toHex();
}

// One end's report, once it has come.
struct EndSeen {
  std::optional<client::TransferEnd> end;
  void Watch(QObject* channel) {
    if (auto* s = qobject_cast<client::FileSendChannel*>(channel)) {
      QObject::connect(s, &client::FileSendChannel::Finished,
                       [this](const client::TransferEnd& e) { end = e; });
    } else if (auto* r = qobject_cast<client::FileReceiveChannel*>(channel)) {
      QObject::connect(r, &client::FileReceiveChannel::Finished,
                       [this](const client::TransferEnd& e) { end = e; });
    }
  }
  bool Complete(std::uint64_t bytes) const { return end && end->complete && end->bytes == bytes; }
};

}  // namespace novalune::test
