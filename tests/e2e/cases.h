// The end-to-end cases. Each starts from a state with none of Brindle's keys,
// folders or uninstall script, and main.cpp clears them again afterwards.
#pragma once

namespace e2e {

// Folders the driver may create and always removes (in the test prefix).
constexpr char kScratchFolder[] = "C:\\BrdlE2E";
constexpr char kToolsFolder[] = "C:\\Tools";
constexpr char kPercentFolder[] = "C:\\100% Tools";
constexpr char kPercentDecoyFolder[] = "C:\\100 Tools";

// Start-up
void SecondStartRaisesRunningInstance();
void UninstallWhileRunningOnlyRaises();

// Installer
void FirstStartDialogBlanksAndCancel();
void CurrentUserInstall();
void AllUsersInstallAndRemoval();
void FolderNamingAFileIsRefused();
void InstalledCopyInstallsOverItself();

// Uninstaller
void UninstallAnsweredNo();
void UninstallAnsweredYes();
void UninstallKeepsWhatIsNotItsOwn();
void UninstallWithoutInstallFlag();
void PercentInFolderName();

} // namespace e2e
