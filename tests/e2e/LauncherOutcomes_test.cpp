// Every way a run of the launcher can end: exit status, intro window or none, QuickTime
// check or none, the error report, and the one start of the companion.
#include <gtest/gtest.h>

#include <optional>

#include "LauncherExpectations.h"
#include "QuickTimeSetup.h"

namespace {

struct ErrorReport {
  const char* className;
  std::string message;  // "%DIR%" stands for the launcher's folder
  bool exact = true;    // false: the message contains this text
};

struct OutcomeCase {
  const char* name;
  const char* configuration;         // start2.ini; nullptr: none; "%DIR%" stands for the launcher's folder
  const char* introName = nullptr;   // a file beside the launcher
  const char* fixture = nullptr;     // its content; nullptr: text that is no picture
  bool holdConfigurationOpen = false;
  QuickTimeSetup quickTime = QuickTimeSetup::NoKey;
  bool introShown = false;
  bool checkRuns = false;            // the key was missing, so the check creates it and warns
  std::optional<ErrorReport> error = std::nullopt;
};

const char kLogo[] = "initfile=logo.jpg\r\ntime=0\r\n";

const OutcomeCase kOutcomes[] = {
    // No intro: the companion at once.
    {.name = "no start2.ini", .configuration = nullptr, .introName = "logo.jpg", .fixture = "logo.jpg"},
    {.name = "no initfile line", .configuration = "time=0\r\n", .introName = "logo.jpg", .fixture = "logo.jpg"},
    {.name = "an empty initfile", .configuration = "initfile=\r\ntime=0\r\n", .introName = "logo.jpg",
     .fixture = "logo.jpg"},
    {.name = "a missing intro file", .configuration = kLogo},
    {.name = "an absolute path in initfile", .configuration = "initfile=%DIR%\\logo.jpg\r\ntime=0\r\n",
     .introName = "logo.jpg", .fixture = "logo.jpg"},
    // Conversion failures: no intro, no check.
    {.name = "time with a trailing blank", .configuration = "initfile=logo.jpg\r\ntime=3 \r\n",
     .introName = "logo.jpg", .fixture = "logo.jpg",
     .error = ErrorReport{"EConvertError", "'3 ' is not a valid integer value"}},
    {.name = "an empty time", .configuration = "initfile=logo.jpg\r\ntime=\r\n", .introName = "logo.jpg",
     .fixture = "logo.jpg", .error = ErrorReport{"EConvertError", "'' is not a valid integer value"}},
    {.name = "no time line", .configuration = "initfile=logo.jpg\r\n", .introName = "logo.jpg",
     .fixture = "logo.jpg", .error = ErrorReport{"EConvertError", "'' is not a valid integer value"}},
    {.name = "an empty start2.ini", .configuration = "", .introName = "logo.jpg", .fixture = "logo.jpg",
     .error = ErrorReport{"EConvertError", "'' is not a valid integer value"}},
    {.name = "an AVI intro with a trailing blank in time", .configuration = "initfile=intro.avi\r\ntime=3 \r\n",
     .introName = "intro.avi", .fixture = "intro.avi",
     .error = ErrorReport{"EConvertError", "'3 ' is not a valid integer value"}},
    {.name = "an AVI intro without a time line", .configuration = "initfile=intro.avi\r\n",
     .introName = "intro.avi", .fixture = "intro.avi",
     .error = ErrorReport{"EConvertError", "'' is not a valid integer value"}},
    // Other errors.
    {.name = "start2.ini held open for writing", .configuration = kLogo, .introName = "logo.jpg",
     .fixture = "logo.jpg", .holdConfigurationOpen = true,
     .error = ErrorReport{"EFOpenError", "%DIR%\\start2.ini", false}},
    {.name = "a .jpg that is no picture", .configuration = kLogo, .introName = "logo.jpg",
     .error = ErrorReport{"EInvalidGraphic", "", false}},
    {.name = "a .bmp that is no picture", .configuration = "initfile=logo.bmp\r\ntime=0\r\n",
     .introName = "logo.bmp", .error = ErrorReport{"EInvalidGraphic", "", false}},
    {.name = "InstallDir of type REG_DWORD", .configuration = kLogo, .introName = "logo.jpg", .fixture = "logo.jpg",
     .quickTime = QuickTimeSetup::NumberValue, .introShown = true,
     .error = ErrorReport{"ERegistryException", "Invalid data type for 'InstallDir'"}},
    // The intro, then the check, which creates the missing key and warns.
    {.name = "the ordinary picture intro", .configuration = kLogo, .introName = "logo.jpg", .fixture = "logo.jpg",
     .introShown = true, .checkRuns = true},
};

std::string WithFolder(std::string text, const std::string& folder) {
  for (size_t at = text.find("%DIR%"); at != std::string::npos; at = text.find("%DIR%", at + folder.size()))
    text.replace(at, 5, folder);
  return text;
}

TEST(LauncherOutcomes, EachEndsAsItMustAndStartsTheCompanionOnce) {
  for (const OutcomeCase& c : kOutcomes) {
    SCOPED_TRACE(c.name);
    LauncherCase launcher;
    if (c.configuration) launcher.WriteConfiguration(WithFolder(c.configuration, launcher.Folder()));
    if (c.introName) {
      if (c.fixture)
        launcher.CopyFixture(c.fixture, c.introName);
      else
        launcher.Write(c.introName, "This is a text file, no picture.\r\n");
    }
    ScopedHandle held;
    if (c.holdConfigurationOpen) held = HoldOpenForWriting(launcher.Folder() + "\\start2.ini");
    const ScopedQuickTimeSetup quickTime(c.quickTime, launcher.Root());

    const LauncherRun run = RunLauncher(launcher);
    const std::string timeline = run.Timeline();

    EXPECT_FALSE(run.timedOut) << timeline;
    EXPECT_EQ(run.intro.has_value(), c.introShown) << timeline;
    ExpectCompanionStartedOnce(run, launcher);
    if (c.error)
      ExpectErrorReport(run, c.error->className, WithFolder(c.error->message, launcher.Folder()), c.error->exact);
    else
      EXPECT_EQ(run.exitCode, 0u) << timeline;
    if (c.checkRuns)
      ExpectQuickTimeWarningAfterIntro(run);
    EXPECT_EQ(run.boxes.size(), (c.error ? 1u : 0u) + (c.checkRuns ? 1u : 0u)) << timeline;
    EXPECT_EQ(QuickTimeKeyExists(), c.checkRuns || c.quickTime != QuickTimeSetup::NoKey) << timeline;
  }
}

}  // namespace
