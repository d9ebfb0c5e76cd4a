// Both ends of the data stream over real loopback sockets and real files,
// directly and through the real server's relay; files compared by SHA-256.
#include <gtest/gtest.h>

#include <QDir>
#include <QTcpServer>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>
#include <memory>

#include "client/core/FileTransfer.h"
#include "client/net/StreamSocket.h"
#include "client/transfer_fixture.h"
#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::client {
namespace {

using test::EndSeen;
using test::MakeFile;
using test::ServeUntil;
using test::Sha256;

constexpr auto kLong = std::chrono::seconds(60);
const std::uint64_t kSizes[] = {0, 1, 1023, 1024, 1025, 10'000'000};
const std::uint64_t kWindows[] = {0, kDefaultSendAhead};

class TransferNet : public ::testing::Test {
 protected:
  void SetUp() override { test::TestApp(); }

  // Starts sending `source` on the next connection to the listener.
  void SendOnAccept(FileServerSocket& listener, const QString& source, std::uint64_t window) {
    QObject::connect(&listener, &FileServerSocket::Accepted, [=, this](QTcpSocket* socket) {
      sender_ = std::make_unique<FileSendChannel>(socket, source, window);
      sent_.Watch(sender_.get());
      QString error;
      ASSERT_TRUE(sender_->Start(error)) << error.toStdString();
    });
  }

  void Receive(const QString& host, std::uint16_t port, std::uint64_t size) {
    receiver_ = std::make_unique<FileReceiveChannel>(work_.filePath("RECEIVE.TMP"), size);
    received_.Watch(receiver_.get());
    QString error;
    ASSERT_TRUE(receiver_->Start(host, port, error)) << error.toStdString();
  }

  bool BothEnded() {
    return ServeUntil([this] { return sent_.end && received_.end; }, kLong);
  }

  QTemporaryDir files_;
  QTemporaryDir work_;
  std::unique_ptr<FileSendChannel> sender_;
  std::unique_ptr<FileReceiveChannel> receiver_;
  EndSeen sent_;
  EndSeen received_;
};

TEST_F(TransferNet, DirectFilesArriveWholeWithAndWithoutSendAhead) {
  for (const std::uint64_t window : kWindows) {
    for (const std::uint64_t size : kSizes) {
      SCOPED_TRACE(testing::Message() << "size " << size << " window " << window);
      sent_ = {};
      received_ = {};
      const QString source = MakeFile(files_, "f.bin", static_cast<qint64>(size));
      FileServerSocket listener(0);
      ASSERT_NE(listener.Listen(), 0);
      SendOnAccept(listener, source, window);
      Receive("127.0.0.1", listener.Port(), size);
      ASSERT_TRUE(BothEnded());
      EXPECT_TRUE(sent_.Complete(size));
      EXPECT_TRUE(received_.Complete(size));
      EXPECT_EQ(Sha256(work_.filePath("RECEIVE.TMP")), Sha256(source));
    }
  }
}

TEST_F(TransferNet, ListenerSearchesUpwardFromATakenPort) {
  QTcpServer taken;
  ASSERT_TRUE(taken.listen(QHostAddress::AnyIPv4, 0));
  FileServerSocket listener(taken.serverPort());
  const std::uint16_t port = listener.Listen();
  EXPECT_GT(port, taken.serverPort());
  EXPECT_EQ(listener.Port(), port);
  EXPECT_EQ(listener.Listen(), port);  // kept while it listens
}

// The Parts' receiver: reads 1 KiB at a time and acknowledges each.
TEST_F(TransferNet, SendAheadWorksWithAReceiverAckingEveryKiB) {
  const std::uint64_t size = 3'000'000;
  const QString source = MakeFile(files_, "f.bin", size);
  FileServerSocket listener(0);
  ASSERT_NE(listener.Listen(), 0);
  SendOnAccept(listener, source, kDefaultSendAhead);
  QTcpSocket peer;
  QByteArray got;
  std::uint64_t total = 0;
  QObject::connect(&peer, &QTcpSocket::readyRead, [&] {
    while (peer.bytesAvailable() > 0) {
      const QByteArray block = peer.read(1024);
      got += block;
      total += static_cast<std::uint64_t>(block.size());
      const auto ack = AckBytes(total);
      peer.write(ack.data(), 4);
    }
  });
  peer.connectToHost("127.0.0.1", listener.Port());
  ASSERT_TRUE(ServeUntil([&] { return sent_.end.has_value(); }, kLong));
  EXPECT_TRUE(sent_.Complete(size));
  QFile file(source);
  file.open(QIODevice::ReadOnly);
  EXPECT_TRUE(got == file.readAll());
}

TEST_F(TransferNet, ASenderThatLeavesHalfWayFailsTheReceiveAndRemovesTheWorkFile) {
  QTcpServer peer;
  ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
  QObject::connect(&peer, &QTcpServer::newConnection, [&] {
    QTcpSocket* socket = peer.nextPendingConnection();
    socket->write(QByteArray(5000, 'x'));
    socket->disconnectFromHost();
  });
  Receive("127.0.0.1", peer.serverPort(), 10000);
  ASSERT_TRUE(ServeUntil([&] { return received_.end.has_value(); }));
  EXPECT_FALSE(received_.end->complete);
  EXPECT_EQ(received_.end->bytes, 5000u);
  EXPECT_FALSE(received_.end->reason.isEmpty());
  EXPECT_FALSE(QFile::exists(work_.filePath("RECEIVE.TMP")));
}

TEST_F(TransferNet, AReceiverThatCancelsFailsTheSendWithTheBytesThatArrived) {
  const QString source = MakeFile(files_, "f.bin", 10'000'000);
  FileServerSocket listener(0);
  ASSERT_NE(listener.Listen(), 0);
  SendOnAccept(listener, source, 0);
  Receive("127.0.0.1", listener.Port(), 10'000'000);
  QObject::connect(receiver_.get(), &FileReceiveChannel::Progress, [this](std::uint64_t n) {
    if (n >= 100'000) receiver_->Cancel();
  });
  ASSERT_TRUE(BothEnded());
  EXPECT_FALSE(received_.end->complete);
  EXPECT_TRUE(received_.end->reason.isEmpty());  // ended here: nothing to report
  EXPECT_FALSE(QFile::exists(work_.filePath("RECEIVE.TMP")));
  EXPECT_FALSE(sent_.end->complete);
  EXPECT_FALSE(sent_.end->reason.isEmpty());
  EXPECT_GT(sent_.end->bytes, 50'000u);
  EXPECT_LT(sent_.end->bytes, 10'000'000u);
}

TEST_F(TransferNet, AConnectThatFailsEndsTheReceive) {
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
  const quint16 port = closed.serverPort();
  closed.close();
  Receive("127.0.0.1", port, 10);
  ASSERT_TRUE(ServeUntil([&] { return received_.end.has_value(); }));
  EXPECT_FALSE(received_.end->complete);
  EXPECT_FALSE(QFile::exists(work_.filePath("RECEIVE.TMP")));
}

// A size no disk here holds: refused before any connection, with the system's
// own words, and no work file left behind.
TEST_F(TransferNet, AFileLargerThanTheFreeDiskSpaceIsRefusedBeforeItStarts) {
  FileReceiveChannel receiver(work_.filePath("RECEIVE.TMP"), kMaxOfferSize);
  received_.Watch(&receiver);
  QString error;
  EXPECT_FALSE(receiver.Start("127.0.0.1", 1, error));
  EXPECT_EQ(error.toStdString(), std::strerror(ENOSPC));
  EXPECT_FALSE(QFile::exists(work_.filePath("RECEIVE.TMP")));
  EXPECT_FALSE(received_.end.has_value());
}

// A peer that sends past the accepted size and then waits for the last
// acknowledgement: the file holds the accepted bytes, and the receiver's close
// does not take the last acknowledgement away.
TEST_F(TransferNet, BytesPastTheSizeAreDroppedAndTheLastAckStillArrives) {
  const QByteArray bytes = QByteArray(300'000, 'a') + QByteArray(100, 'z');
  QTcpServer peer;
  ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
  QByteArray acks;
  QObject::connect(&peer, &QTcpServer::newConnection, [&] {
    QTcpSocket* socket = peer.nextPendingConnection();
    QObject::connect(socket, &QTcpSocket::readyRead, [&, socket] { acks += socket->readAll(); });
    socket->write(bytes);
  });
  Receive("127.0.0.1", peer.serverPort(), 300'000);
  ASSERT_TRUE(ServeUntil([&] { return received_.end && acks.endsWith(QByteArray::fromHex("000493e0")); }));
  EXPECT_TRUE(received_.end->complete);
  EXPECT_EQ(received_.end->bytes, 300'000u);
  QFile work(work_.filePath("RECEIVE.TMP"));
  ASSERT_TRUE(work.open(QIODevice::ReadOnly));
  EXPECT_TRUE(work.readAll() == bytes.left(300'000));
}

// What the Qt socket had read before the hand-over comes first, then the rest.
TEST_F(TransferNet, AHandedOverSocketKeepsWhatQtHadReadAlready) {
  QTcpServer peer;
  ASSERT_TRUE(peer.listen(QHostAddress::LocalHost, 0));
  QTcpSocket socket;
  socket.connectToHost("127.0.0.1", peer.serverPort());
  ASSERT_TRUE(socket.waitForConnected(5000));
  ASSERT_TRUE(ServeUntil([&] { return peer.hasPendingConnections(); }));
  QTcpSocket* far = peer.nextPendingConnection();
  far->write("early");
  far->flush();
  ASSERT_TRUE(socket.waitForReadyRead(5000));
  const auto stream = StreamSocket::TakeOver(socket);
  ASSERT_TRUE(stream);
  EXPECT_EQ(socket.state(), QAbstractSocket::UnconnectedState);
  far->write("late");
  far->flush();
  QByteArray got;
  char block[64];
  ASSERT_TRUE(ServeUntil([&] {
    for (long n; (n = stream->Read(block, sizeof block)) > 0;) got.append(block, n);
    return got.size() >= 9;
  }));
  EXPECT_EQ(got, "earlylate");
  // Bytes moved into a file without passing through the program; a file that
  // takes no spliced bytes (opened for appending) gets them copied.
  QFile appended(QDir(files_.path()).filePath("appended.bin"));
  ASSERT_TRUE(appended.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered));
  far->write("staged");
  far->flush();
  long staged = 0;
  ASSERT_TRUE(ServeUntil([&] {
    if (staged <= 0) staged = stream->Stage(6);
    return staged > 0;
  }));
  ASSERT_TRUE(stream->WriteStaged(static_cast<int>(appended.handle()), static_cast<std::size_t>(staged)));
  EXPECT_EQ(test::FileBytes(appended.fileName().toStdString()),
            std::string("staged").substr(0, static_cast<std::size_t>(staged)));
  EXPECT_EQ(stream->Write("ack", 3), 3);
  ASSERT_TRUE(ServeUntil([&] { return far->bytesAvailable() == 3; }));
  EXPECT_EQ(far->readAll(), "ack");
}

// One relayed transfer through the real server: the offer, the receiver's
// connection, the go-ahead and the sender's connection, as the clients do it.
class Relay {
 public:
  Relay(test::ServerThread& server, const std::string& from, const std::string& to)
      : server_(server), from_(from), to_(to) {
    EXPECT_TRUE(sender.Connect(server.UserPort()));
    EXPECT_TRUE(sender.Register(from));
    EXPECT_TRUE(receiver.Connect(server.UserPort()));
    EXPECT_TRUE(receiver.Register(to));
  }

  // Offers the file and connects both ends; the bytes then flow.
  void Start(const QString& source, const QString& work, std::uint64_t size, std::uint64_t window) {
    sender.SendLine(RelaySendLine(to_, "f.bin", size));
    const std::string address = std::to_string(*OfferAddressNumber("127.0.0.1"));
    EXPECT_TRUE(receiver.Expect(":" + from_ + "!x@x PRIVMSG " + to_ + " :\x01" + "DCC SEND f.bin " + address +
                                " " + std::to_string(server_.RelayReceiverPort()) + " " +
                                std::to_string(size) + "\x01"));
    in = std::make_unique<FileReceiveChannel>(work, size);
    received.Watch(in.get());
    QString error;
    EXPECT_TRUE(in->Start("127.0.0.1", server_.RelayReceiverPort(), error));
    EXPECT_TRUE(
        sender.Expect(":ZKWChatServer214!x@x RELAYSEND " + std::to_string(server_.RelaySenderPort())));
    auto* socket = new QTcpSocket;
    socket->connectToHost("127.0.0.1", server_.RelaySenderPort());
    EXPECT_TRUE(socket->waitForConnected(5000));
    out = std::make_unique<FileSendChannel>(socket, source, window);
    sent.Watch(out.get());
    EXPECT_TRUE(out->Start(error));
  }

  bool Ended() const { return sent.end && received.end; }

  test::TestClient sender;
  test::TestClient receiver;
  std::unique_ptr<FileSendChannel> out;
  std::unique_ptr<FileReceiveChannel> in;
  EndSeen sent;
  EndSeen received;

 private:
  test::ServerThread& server_;
  std::string from_;
  std::string to_;
};

TEST_F(TransferNet, RelayedFilesArriveWholeWithAndWithoutSendAhead) {
  for (const std::uint64_t window : kWindows) {
    for (const std::uint64_t size : kSizes) {
      SCOPED_TRACE(testing::Message() << "size " << size << " window " << window);
      test::ServerThread server;  // fresh, so no earlier pair's QUIT reaches this one
      const QString source = MakeFile(files_, "f.bin", static_cast<qint64>(size));
      Relay relay(server, "taro", "hanako");
      relay.Start(source, work_.filePath("RECEIVE.TMP"), size, window);
      ASSERT_TRUE(ServeUntil([&] { return relay.Ended(); }, kLong));
      EXPECT_TRUE(relay.sent.Complete(size));
      EXPECT_TRUE(relay.received.Complete(size));
      EXPECT_EQ(Sha256(work_.filePath("RECEIVE.TMP")), Sha256(source));
    }
  }
}

TEST_F(TransferNet, ThreeRelayedTransfersAtOnceArriveWhole) {
  test::ServerThread server;
  const std::uint64_t size = 4'000'000;
  std::vector<std::unique_ptr<Relay>> relays;
  std::vector<QString> sources;
  for (int i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i);
    sources.push_back(MakeFile(files_, QString("f%1.bin").arg(i), size));
    relays.push_back(std::make_unique<Relay>(server, "from" + n, "to" + n));
    // One block at a time keeps the first transfers running while the next start.
    relays.back()->Start(sources.back(), work_.filePath(QString("w%1").arg(i)), size, 0);
  }
  ASSERT_TRUE(
      ServeUntil([&] { return relays[0]->Ended() && relays[1]->Ended() && relays[2]->Ended(); }, kLong));
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(relays[i]->received.Complete(size)) << i;
    EXPECT_EQ(Sha256(work_.filePath(QString("w%1").arg(i))), Sha256(sources[i])) << i;
  }
}

}  // namespace
}  // namespace novalune::client
