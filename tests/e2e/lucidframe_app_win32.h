#pragma once

#include "tests/e2e/program_process_win32.h"
#include "tests/support/scratch_folder.h"

#include <windows.h>
#include <shellapi.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

// The commands of the tray menu, in the vocabulary of its items.
enum class TrayCommand {
    DelayedCapture,
    SaveAutomatically,
    SaveManually,
    AutoCrop,
    IncludeCursor,
    Checkerboard,
    CopyToClipboard,
    TimestampNames,
    SetHotKey,
    ChooseSaveFolder,
    OpenSaveFolder,
    About,
    Exit,
};

// The program under test: Lucidframe.exe beside the test program, or another
// build named with SetProgramUnderTest (the broken build of the suite's own
// check).
void SetProgramUnderTest(std::wstring const& fileName);
std::filesystem::path ProgramUnderTest();

// Lucidframe.exe run from a fresh program folder of its own, which receives
// its settings and automatic captures; the folder goes with the object.
class LucidframeApp {
public:
    LucidframeApp();
    // Another build of the program, found beside the test program.
    explicit LucidframeApp(std::wstring const& build);
    ~LucidframeApp();
    LucidframeApp(LucidframeApp const&) = delete;
    LucidframeApp& operator=(LucidframeApp const&) = delete;

    std::filesystem::path const& folder() const { return m_folder.path(); }
    std::filesystem::path program() const { return m_folder / L"Lucidframe.exe"; }

    // Starts the program and waits until its host window is set up.
    void Start();
    bool Running() const { return m_process && m_process->Running(); }
    ProgramProcess const& process() const { return *m_process; }
    HWND host() const { return m_host; }

    // Opens the tray menu with a right click on the icon, where the shell
    // says it is. Only a click makes the shell let the program take the
    // foreground, which the menu needs for its keys. Wine does not say where
    // its icons are: there the icon's callback message is posted to the host
    // window, as the shell would post it.
    void OpenTrayMenu();
    // Sends the icon's callback message; false when the program is still
    // busy with it after a second, as when it opened a menu.
    bool SendTrayMessage(UINT mouseMessage) const;
    // The popup menu the program has open, or null.
    HWND OpenMenu() const;
    // Opens the menu and chooses the command with keys; returns once the
    // program has carried the command out, except for the delayed capture,
    // which returns as its three seconds begin.
    void Choose(TrayCommand command);
    // Returns once the program has handled everything sent to it so far.
    void WaitUntilIdle() const;
    // Chooses the exit command and waits for the program to end; returns its
    // exit code.
    DWORD ExitFromMenu();

    // Whether the shell holds the program's icon.
    bool TrayIconShown() const;
    // A restarting shell: it loses every icon, then broadcasts "TaskbarCreated".
    void ShellForgetsIcon() const;
    void ShellAnnouncesRestart() const;

    // The settings file as UTF-8 with bare line feeds; fails unless it is
    // UTF-16LE with a byte-order mark. Empty when there is no file.
    std::string ReadIni() const;
    // Writes the settings file, given as UTF-8, as the program writes it:
    // UTF-16LE with a byte-order mark. Before Start, for the settings of a
    // user who wrote them by hand.
    void WriteIni(std::string const& text) const;

    // What lucidframe-notes-balloons.exe noted so far: the text of every
    // balloon it showed, and every file a click on a balloon would show in
    // its folder, oldest first.
    std::vector<std::wstring> Balloons() const;
    std::vector<std::wstring> FilesShown() const;
    // The same build notes the texts of the tray menu's own items each time
    // it opens, and each folder that "Open the save folder" would open.
    std::vector<std::wstring> MenuTexts() const;
    std::vector<std::wstring> FoldersOpened() const;

    // Where the automatic save puts the capture of a window with this title.
    std::filesystem::path AutomaticFile(std::wstring const& title) const { return m_folder / (title + L".png"); }

    // Ends the program: with the exit command while it still runs, so that
    // every test also sees it end cleanly with exit code 0.
    void Stop();

private:
    NOTIFYICONDATAW IconKey() const;
    void AskForTrayMenu() const;
    bool MenuTakesInput() const;

    ScratchFolder m_folder;
    std::unique_ptr<ProgramProcess> m_process;
    HWND m_host = nullptr;
};
