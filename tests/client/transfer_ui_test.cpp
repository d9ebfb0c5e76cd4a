// The transfer windows offscreen, and the window's controller sending to
// another controller directly and through the real server.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpSocket>
#include <QTest>
#include <sstream>

#include "client/core/ClientUtil.h"
#include "client/transfer_fixture.h"
#include "client/ui/FileTransfer.h"
#include "client/ui/FileTransferDlg.h"
#include "support/ServerThread.h"
#include "support/TestClient.h"

namespace novalune::ui {
namespace {

using test::FindChild;
using test::MakeFile;
using test::ServeUntil;
using test::Sha256;

QString Text(const QObject& owner, const char* name) { return FindChild<QLineEdit>(owner, name)->text(); }

TEST(TransferWindows, ProgressShowsBytesPast4GiBAndTheAverageSpeed) {
  test::TestApp();
  TFileMessageDlg window(false);
  QSignalSpy cancelled(&window, &TFileMessageDlg::CancelRequested);
  window.SetTransferName("a b.txt");
  window.StartProgress(5'000'000'000);
  EXPECT_EQ(Text(window, "EditSize"), "0/5000000000 Byte");
  window.SetProgress(4'294'967'301);
  window.TimerTimer();
  EXPECT_EQ(Text(window, "EditFile"), "a b.txt");
  EXPECT_EQ(Text(window, "EditSize"), "4294967301/5000000000 Byte");
  EXPECT_EQ(FindChild<QLabel>(window, "SpeedLabel")->text(), QString::fromUtf8("4294967301/秒"));
  window.TimerTimer();  // no progress in this second: the average stays
  window.SetProgress(4'294'967'303);
  // Pieces in quick succession show at the latest with the tick; the last one at once.
  window.TimerTimer();
  EXPECT_EQ(Text(window, "EditSize"), "4294967303/5000000000 Byte");
  EXPECT_EQ(FindChild<QLabel>(window, "SpeedLabel")->text(), QString::fromUtf8("2147483651/秒"));
  window.SetProgress(4'294'967'304);
  window.SetProgress(5'000'000'000);
  EXPECT_EQ(Text(window, "EditSize"), "5000000000/5000000000 Byte");
  EXPECT_EQ(FindChild<QPushButton>(window, "CancelBtn")->text(), QString::fromUtf8("中止"));
  FindChild<QPushButton>(window, "CancelBtn")->click();
  EXPECT_EQ(cancelled.count(), 1);
}

TEST(TransferWindows, ReceiveQuestionShowsTheOfferAndTakesEdits) {
  test::TestApp();
  TReceiveFileDlg dialog;
  dialog.SetUserName("taro");
  dialog.SetUserIP("192.168.0.1");
  dialog.SetFileName("my*file.txt");
  dialog.SetFileSize(5'000'000'000);
  EXPECT_EQ(dialog.windowTitle(), QString::fromUtf8("ファイルの受信"));
  EXPECT_TRUE(FindChild<QLineEdit>(dialog, "EditName")->isReadOnly());
  EXPECT_EQ(Text(dialog, "EditIP"), "192.168.0.1");
  EXPECT_EQ(dialog.GetFileSize(), "5000000000");
  FindChild<QLineEdit>(dialog, "EditSize")->clear();
  QTest::keyClicks(FindChild<QLineEdit>(dialog, "EditSize"), "-12x3");
  EXPECT_EQ(dialog.GetFileSize(), "123");  // digits only
  EXPECT_EQ(FindChild<QPushButton>(dialog, "OkBtn")->text(), QString::fromUtf8("受信"));
  EXPECT_EQ(FindChild<QPushButton>(dialog, "CancelBtn")->text(), QString::fromUtf8("拒否"));
  FindChild<QPushButton>(dialog, "OkBtn")->click();
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

// Reads an offer line as the engine hands it over (sender and fields).
client::FileOffer OfferOf(const std::string& sender, const std::string& line) {
  std::istringstream words(line.substr(line.find(":\x01") + 2));
  std::string dcc, send, name, address, port, size;
  words >> dcc >> send >> name >> address >> port >> size;
  client::FileOffer offer;
  offer.nick = sender;
  offer.fileName = name;
  offer.address = client::DottedAddress(client::ParseInt64Def(address));
  offer.port = client::ParseInt32Def(port);
  offer.sizeWord = client::RemoveFirst(size, '\x01');
  offer.size = client::ParseInt64Def(offer.sizeWord);
  return offer;
}

// Two users' controllers, each with its own program folder.
class TransferControllers : public ::testing::Test {
 protected:
  void SetUp() override {
    test::TestApp();
    sender_ = Make("taro", sent_, senderNotices_);
    receiver_ = Make("hanako", sent_, receiverNotices_);
  }

  std::unique_ptr<TFileTransfer> Make(const std::string& nick, std::vector<std::string>& lines,
                                      std::vector<QString>& notices) {
    FileTransferHooks hooks;
    hooks.commandSend = [&lines](const std::string& line) { lines.push_back(line); };
    hooks.myNick = [nick] { return nick; };
    hooks.myAddress = [] { return std::string("127.0.0.1"); };
    hooks.notice = [&notices](const QString& text) { notices.push_back(text); };
    hooks.chooseSendFile = [this] { return source_; };
    hooks.chooseSavePath = [this](const QString& proposed) {
      proposed_ = proposed;
      return proposed;
    };
    hooks.askReceive = [this](TReceiveFileDlg& dialog) {
      ++asked_;
      askedName_ = dialog.GetFileName();
      return true;
    };
    FileTransferOptions options{QDir(nick == "taro" ? folderA_.path() : folderB_.path()).path(), 0, 0,
                                saveFolder_.path()};
    return std::make_unique<TFileTransfer>(nullptr, std::move(hooks), options);
  }

  QString WorkFile() const { return QDir(folderB_.path()).filePath("RECEIVE.TMP"); }

  QTemporaryDir folderA_, folderB_, saveFolder_, files_;
  QString source_;
  QString proposed_;
  QString askedName_;
  int asked_ = 0;
  std::vector<std::string> sent_;
  std::vector<QString> senderNotices_, receiverNotices_;
  std::unique_ptr<TFileTransfer> sender_, receiver_;
};

TEST_F(TransferControllers, DirectFileIsKeptUnderItsReducedNameAndTheWorkFileGoes) {
  source_ = MakeFile(files_, "my file.txt", 300'000);
  QSignalSpy sendEnded(sender_.get(), &TFileTransfer::SendEnded);
  QSignalSpy received(receiver_.get(), &TFileTransfer::ReceiveEnded);
  sender_->MenuSendClick("taro");  // never to oneself
  EXPECT_TRUE(sent_.empty());
  sender_->MenuSendClick("hanako");
  ASSERT_EQ(sent_.size(), 1u);
  const std::string port = std::to_string(sender_->FilePort());
  EXPECT_EQ(sent_[0],
            "PRIVMSG hanako :\x01"
            "DCC SEND my*file.txt 2130706433 " +
                port + " 300000\x01");
  receiver_->ReceiveFileOffer(OfferOf("taro", sent_[0]));
  EXPECT_TRUE(receiver_->IsReceivingFile());
  receiver_->ReceiveFileOffer(OfferOf("taro", sent_[0]));  // a second offer meanwhile: no question
  EXPECT_EQ(asked_, 1);
  EXPECT_EQ(askedName_, "my*file.txt");
  ASSERT_TRUE(ServeUntil([&] { return received.count() == 1 && sendEnded.count() == 1; }));
  EXPECT_EQ(proposed_, QDir(saveFolder_.path()).filePath("my file.txt"));
  EXPECT_EQ(received.at(0).at(1).toString(), proposed_);
  EXPECT_EQ(Sha256(proposed_), Sha256(source_));
  EXPECT_FALSE(QFile::exists(WorkFile()));
  EXPECT_FALSE(receiver_->IsReceivingFile());
  EXPECT_FALSE(sender_->Sending());
  EXPECT_TRUE(senderNotices_.empty()) << senderNotices_.front().toStdString();
  EXPECT_TRUE(receiverNotices_.empty());
}

TEST_F(TransferControllers, CancelInTheReceiveWindowEndsBothSidesAndASecondConnectionIsTurnedAway) {
  source_ = MakeFile(files_, "big.bin", 50'000'000);
  QSignalSpy sendEnded(sender_.get(), &TFileTransfer::SendEnded);
  QSignalSpy received(receiver_.get(), &TFileTransfer::ReceiveEnded);
  sender_->MenuSendClick("hanako");
  receiver_->ReceiveFileOffer(OfferOf("taro", sent_.at(0)));
  ASSERT_TRUE(ServeUntil([&] { return receiver_->ReceiveWindow() != nullptr; }));
  // A second connection to the listener meanwhile is closed; the transfer goes on.
  QTcpSocket intruder;
  intruder.connectToHost("127.0.0.1", sender_->FilePort());
  ASSERT_TRUE(ServeUntil([&] { return intruder.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_TRUE(sender_->Sending());
  EXPECT_EQ(sendEnded.count(), 0);
  FindChild<QPushButton>(*receiver_->ReceiveWindow(), "CancelBtn")->click();
  ASSERT_TRUE(ServeUntil([&] { return received.count() == 1 && sendEnded.count() == 1; }));
  EXPECT_TRUE(receiverNotices_.empty());  // the user ended it here
  ASSERT_EQ(senderNotices_.size(), 1u);
  EXPECT_TRUE(senderNotices_[0].startsWith(QString::fromUtf8("ファイル「big.bin」の送信に失敗しました（")));
  EXPECT_FALSE(QFile::exists(WorkFile()));
  EXPECT_FALSE(receiver_->IsReceivingFile());
  EXPECT_FALSE(sender_->Sending());
}

TEST_F(TransferControllers, JunkSizesAndPortsAreRefusedWithAMessage) {
  client::FileOffer offer;
  offer.nick = "taro";
  offer.address = "127.0.0.1";
  offer.port = 7033;
  for (const char* size : {"-1", "abc", "99999999999999999999"}) {
    offer.sizeWord = size;
    receiver_->ReceiveFileOffer(offer);
  }
  offer.sizeWord = "10";
  offer.port = 0;
  receiver_->ReceiveFileOffer(offer);
  EXPECT_EQ(asked_, 0);
  ASSERT_EQ(receiverNotices_.size(), 4u);
  EXPECT_EQ(receiverNotices_[0],
            QString::fromUtf8("ファイルの大きさ「-1」は受け取れません（taro さんからの申し出）。"));
  EXPECT_EQ(receiverNotices_[3],
            QString::fromUtf8("ポート番号「0」は受け取れません（taro さんからの申し出）。"));
}

TEST_F(TransferControllers, RelayedFileArrivesThroughTheServer) {
  test::ServerThread server;
  test::TestClient taro, hanako;
  ASSERT_TRUE(taro.Connect(server.UserPort()) && taro.Register("taro"));
  ASSERT_TRUE(hanako.Connect(server.UserPort()) && hanako.Register("hanako"));
  source_ = MakeFile(files_, "r.bin", 2'000'000);
  QSignalSpy received(receiver_.get(), &TFileTransfer::ReceiveEnded);
  sender_->MenuSendClick("hanako");  // a direct offer is no request for a relay
  sender_->StartRelaySend("127.0.0.1", true, server.RelaySenderPort());
  EXPECT_FALSE(sender_->Sending());
  sender_->MenuSendRelayClick("hanako");
  ASSERT_EQ(sent_.size(), 2u);
  EXPECT_EQ(sent_[1], "RELAYSEND hanako r.bin 2000000");
  taro.SendLine(sent_[1]);
  const auto offer = hanako.ReadLine();
  ASSERT_TRUE(offer);
  receiver_->ReceiveFileOffer(OfferOf("taro", *offer));
  const auto go = taro.ReadLine();
  ASSERT_TRUE(go);
  EXPECT_EQ(*go, ":ZKWChatServer214!x@x RELAYSEND " + std::to_string(server.RelaySenderPort()));
  sender_->StartRelaySend("127.0.0.1", true, server.RelaySenderPort());
  ASSERT_TRUE(ServeUntil([&] { return received.count() == 1; }, std::chrono::seconds(30)));
  EXPECT_EQ(Sha256(received.at(0).at(1).toString()), Sha256(source_));
  ASSERT_TRUE(ServeUntil([&] { return !sender_->Sending(); }));
  EXPECT_TRUE(senderNotices_.empty());
}

}  // namespace
}  // namespace novalune::ui
