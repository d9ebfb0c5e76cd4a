// Sounds of the main window: where a name is looked up, what plays, and the
// sound folder dialog. No sound device is needed: playing then does nothing.
#include <QFile>
#include <QListWidget>
#include <fstream>

#include "client/ui/SoundPlayer.h"
#include "client/ui/WavFileListDlg.h"
#include "ui_fixture.h"

namespace novalune::ui::testing {
namespace {

class Sounds : public FormTest {
 protected:
  std::string Folder(const std::string& name) {
    const std::string path = PathOf(name);
    std::filesystem::create_directories(path);
    return path;
  }
  static void Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
  }
};

// A format 0 MIDI file of one note.
const std::string kTinyMidi = std::string("MThd\0\0\0\6\0\0\0\1\0\x60", 14) +
                              std::string("MTrk\0\0\0\x0c\0\x90\x3c\x40\x60\x80\x3c\0\0\xff\x2f\0", 20);

TEST_F(Sounds, NamesAreLookedUpInTheFolderListFirstFolderFirstElseInTheDesktopsSoundFolders) {
  const std::string data = Folder("data");
  const std::string userSounds = Folder("data/sounds");
  ASSERT_EQ(::setenv("XDG_DATA_HOME", data.c_str(), 1), 0);
  Write(userSounds + "/desk.wav", "RIFF");
  TZKWChatForm& w = MakeForm({}, Network::kFake);
  w.BeepON("desk.wav");
  EXPECT_EQ(w.Sounds().LastPath(), QString::fromStdString(userSounds + "/desk.wav"))
      << "without WavDir.txt the user's sound folder is searched";

  const std::string first = Folder("first");
  const std::string second = Folder("second");
  Write(first + "/ding.wav", "not really a wave");
  Write(second + "/ding.wav", "RIFF");
  Write(second + "/tune.mid", kTinyMidi);
  SaveListFile(files::kWavDir, {first, second + "/"});
  w.BeepON("ding.wav");
  EXPECT_EQ(w.Sounds().LastPath(), QString::fromStdString(first + "/ding.wav"));
  EXPECT_EQ(w.Sounds().LastKind(), SoundPlayer::Kind::kWave);
  w.BeepON("tune.mid");
  EXPECT_EQ(w.Sounds().LastPath(), QString::fromStdString(second + "/tune.mid"));
  EXPECT_EQ(w.Sounds().LastKind(), SoundPlayer::Kind::kMidi);
  w.Sounds().Play(QString());
  w.BeepON("desk.wav");
  EXPECT_EQ(w.Sounds().LastKind(), SoundPlayer::Kind::kNone) << "a listed folder list hides the fallback";
  w.BeepON("../first/ding.wav");
  EXPECT_EQ(w.Sounds().LastKind(), SoundPlayer::Kind::kNone) << "a peer's name never reaches another folder";
  QCoreApplication::processEvents();
  EXPECT_TRUE(messages.empty()) << "a file that does not decode is skipped without a message";
  ::unsetenv("XDG_DATA_HOME");
}

TEST_F(Sounds, TheFolderDialogAddsOnceRemovesAndWritesOnlyOnOk) {
  const std::string a = Folder("Waves");
  const std::string b = Folder("midi");
  SaveListFile(files::kWavDir, {b});
  {
    TWavFileListDlg dialog;
    dialog.SetCurrentFolder(QString::fromStdString(a));
    dialog.AddBtnClick();
    dialog.SetCurrentFolder(QString::fromStdString(PathOf("waves")));  // the same without case
    dialog.AddBtnClick();
    EXPECT_EQ(dialog.Folders(), (std::vector<std::string>{b, a}));
    dialog.reject();
  }
  EXPECT_EQ(test::FileBytes(PathOf("WavDir.txt")), b + "\r\n") << "cancel keeps the file";

  TWavFileListDlg dialog;
  dialog.SetCurrentFolder(QString::fromStdString(a));
  dialog.AddBtnClick();
  dialog.FolderList->item(0)->setSelected(true);
  dialog.DelBtnClick();
  dialog.accept();
  EXPECT_EQ(test::FileBytes(PathOf("WavDir.txt")), a + "\r\n");
}

}  // namespace
}  // namespace novalune::ui::testing
