// A connected TCP socket driven by its descriptor, for the bulk of a file
// transfer: bytes go between the socket and the file through system calls,
// with no Qt buffer in between (on Linux the sending side uses sendfile, so
// the file's bytes are not copied through the program at all). POSIX only.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

class QTcpSocket;

namespace novalune::client {

class StreamSocket : public QObject {
  Q_OBJECT
 public:
  // What Read, Write and SendFile return besides a count of bytes.
  static constexpr long kAgain = -1;        // nothing can move now: wait for the signal
  static constexpr long kBroken = -2;       // the connection failed; ErrorString says why
  static constexpr long kCannotStage = -3;  // Stage is not available: use Read

  // Takes the connection of a connected socket: whatever it had already read
  // is kept for the first Read, and the socket itself is closed.
  static std::unique_ptr<StreamSocket> TakeOver(QTcpSocket& socket, QObject* parent = nullptr);
  ~StreamSocket() override;

  // Bytes read, 0 at the end of the stream, kAgain or kBroken.
  long Read(char* data, std::size_t size);
  // Bytes taken, kAgain or kBroken; never raises SIGPIPE.
  long Write(const char* data, std::size_t size);
  // Up to `count` bytes of the open file `fileFd` from `offset` onward:
  // bytes taken, 0 when the file has nothing there, kAgain or kBroken.
  long SendFile(int fileFd, std::uint64_t offset, std::size_t count);
  // Receiving into a file without the bytes passing through the program (Linux):
  // Stage moves up to `count` received bytes into the stream's pipe (bytes, 0
  // at the end of the stream, kAgain, kBroken or kCannotStage); WriteStaged
  // then appends `count` staged bytes to `fileFd`, false with errno set when
  // the file takes them not.
  long Stage(std::size_t count);
  bool WriteStaged(int fileFd, std::size_t count);

  // Whether bytes read by Qt before the hand-over are still waiting for Read.
  bool HasEarly() const { return !early_.isEmpty(); }
  void WatchWritable(bool on) { writable_.setEnabled(on); }
  // No more bytes from this side; the peer reads the end of the stream.
  void ShutdownWrite();
  // Ends the connection now; nothing is read or written after it.
  void Close();
  QString ErrorString() const;

 signals:
  void Readable();
  void Writable();

 private:
  StreamSocket(int fd, QByteArray early, QObject* parent);
  long Failed(int error);
  bool CopyStaged(int fileFd, std::size_t count);

  int fd_;
  int stage_[2] = {-1, -1};  // the pipe of Stage, made on its first use
  QByteArray early_;         // what the Qt socket had read before the hand-over
  QSocketNotifier readable_;
  QSocketNotifier writable_;
  int error_ = 0;
};

}  // namespace novalune::client
