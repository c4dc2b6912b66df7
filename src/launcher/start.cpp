// The launcher's main sequence: read start2.ini, show the intro it names, check that
// QuickTime is installed after a picture intro, and in every outcome start the companion
// program beside the launcher.
#include <windows.h>

#include <string>

#include "LauncherPaths.h"
#include "mIntro.h"
#include "vcl/Dialogs.h"
#include "vcl/Jpeg.h"
#include "vcl/Lists.h"
#include "vcl/Registry.h"
#include "vcl/SysUtils.h"

namespace {

std::string CompanionPath;
std::string AppDir;
std::string IntroFile;
int32_t TimeValue = 0;
std::string QuickTimeDir;
int32_t LastFrame = 0;  // the player's frame as the AVI loop saw it on its previous pass
STARTUPINFOA StartupInfo;
PROCESS_INFORMATION ProcessInfo;

const char kConfigurationFile[] = "start2.ini";
const char kQuickTimeKey[] = "software\\Apple Computer, Inc.\\QuickTime";
const char kQuickTimePlayer[] = "\\QuickTimePlayer.exe";
const UINT kWarningCodePage = 1250;
// Windows-1250 bytes; literals are split where a letter would extend a \x escape.
const char kWarningText[] =
    "Program wykry\xB3 nieprawid\xB3owe dzia\xB3" "anie aplikacji QuickTime. "
    "Prosz\xEA o ponown\xB9 instalacj\xEA programu QuickTime. "
    "Instalator znajduje si\xEA w folderze QT6, w g\xB3\xF3wnym katalogu uruchamianego programu firmy Morvek."
    "\r\n\r\n"
    "UWAGA!!! Uruchamiany program mo\xBF" "e pracowa\xE6 nieprawid\xB3owo.";

std::string OwnPath() {
  // One byte short of the buffer, so that a truncated path still ends in its NUL.
  char path[261] = {};
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  return path;
}

// A file of that name is there and is no folder.
bool Exists(const std::string& path) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  return (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReadConfiguration() {
  const std::string path = AppDir + kConfigurationFile;
  if (!Exists(path)) return;
  TStringList configuration;
  configuration.LoadFromFile(path);
  IntroFile = configuration.Values("initfile");
  TimeValue = StrToInt(configuration.Values("time"));
}

void CreateIntroWindow() {
  Form1 = new TForm1(Application);
  Form1->SetLeft(0);
  Form1->SetTop(0);
  Form1->SetWidth(Screen->Width());
  Form1->SetHeight(Screen->Height());
}

void LoadPicture(const std::string& extension) {
  const std::string path = AppDir + IntroFile;
  if (extension == ".jpg") {
    TJPEGImage picture;
    picture.LoadFromFile(path);
    Form1->Image1->Picture()->Assign(&picture);
  } else if (extension == ".bmp") {
    TBitmap picture;
    picture.LoadFromFile(path);
    Form1->Image1->Picture()->Assign(&picture);
  }
}

void ShowPictureIntro(const std::string& extension) {
  CreateIntroWindow();
  LoadPicture(extension);
  TImage* image = Form1->Image1;
  image->SetAutoSize(true);
  image->SetLeft((Form1->Width() - image->Width()) / 2);
  image->SetTop((Form1->Height() - image->Height()) / 2);
  image->SetVisible(true);
  Form1->TickLimit = TimeValue;
  Form1->Timer1->SetEnabled(true);
  Form1->ShowModal();
}

// Plays the whole file once and pumps messages until Running drops, stopping the player
// as soon as its last frame is current, or when its frame number went back (a wrap).
void PlayAviIntro() {
  CreateIntroWindow();
  Form1->Show();
  TVxAVIPlay* avi = Form1->avi;
  avi->SetFileName(AppDir + IntroFile);
  avi->SetLeft((Form1->Width() - avi->Width()) / 2);
  avi->SetTop((Form1->Height() - avi->Height()) / 2);
  avi->SetVisible(true);
  avi->Play(0, static_cast<uint16_t>(avi->FrameCount() - 1), 1);
  do {
    Application->ProcessMessages();
    if (avi->CurrentFrame() < LastFrame) avi->Stop();
    if (avi->CurrentFrame() == avi->FrameCount() - 1) avi->Stop();
    LastFrame = avi->CurrentFrame();
  } while (Form1->Running);
  Form1->Close();
}

void CheckQuickTime() {
  QuickTimeDir.clear();
  TRegistry registry;
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  registry.OpenKey(kQuickTimeKey, true);
  if (registry.ValueExists("InstallDir")) QuickTimeDir = registry.ReadString("InstallDir");
  registry.CloseKey();
  if (QuickTimeDir.empty() || !Exists(QuickTimeDir + kQuickTimePlayer))
    ShowWarning("Uwaga", kWarningText, kWarningCodePage);
}

// The companion is named as the application too, so that no shorter prefix of a path
// with blanks ("C:\Program.exe") can be started in its place.
void StartCompanion() {
  StartupInfo.cb = sizeof StartupInfo;
  StartupInfo.dwFlags = STARTF_USESTDHANDLES;
  std::string commandLine = CompanionPath;
  CreateProcessA(CompanionPath.c_str(), commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                 nullptr, &StartupInfo, &ProcessInfo);
}

void CleanUp() {
  FreeAndNil(Form1);
  StartCompanion();
}

void IntroSequence() {
  const std::string ownPath = OwnPath();
  CompanionPath = CompanionPathOf(ownPath);
  AppDir = AppDirOf(ownPath);
  ReadConfiguration();
  if (!Exists(AppDir + IntroFile)) return;
  const std::string extension = IntroExtensionOf(IntroFile);
  if (extension == ".avi") {
    PlayAviIntro();
    return;
  }
  ShowPictureIntro(extension);
  CheckQuickTime();
}

}  // namespace

// An error that ends the sequence still frees the window and starts the companion; then
// it is reported in the error box and the exit status is 1.
int main() {
  try {
    try {
      IntroSequence();
    } catch (...) {
      CleanUp();
      throw;
    }
    CleanUp();
  } catch (const std::exception& error) {
    Application->ShowException(error);
    return 1;
  }
  return 0;
}
