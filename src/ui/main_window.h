#ifndef LITE_UI_MAIN_WINDOW_H_
#define LITE_UI_MAIN_WINDOW_H_

#include <windows.h>
#include <shobjidl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "base/scoped_gdi.h"
#include "install/elevated_progress_proxy.h"
#include "install/installer_observer.h"
#include "ui/main_window_layout.h"
#include "ui/main_window_theme.h"
#include "ui/resource_bitmap.h"
#include "ui/subclassed_window.h"

namespace lite {

class BrandInfo;
class DistribParams;
class ImageButton;
class ImageCheckBox;
class ImageProgressBar;
class Installer;
class LinkLabel;
class ResumeDialog;
class SlideDownloader;
class Slideshow;

// Private messages of the window. The installer thread never touches the
// window directly: it posts these, and the window's own thread acts.
// The elevated instance posts the setup's progress with the same message.
constexpr UINT kProgressPercentMessage = ElevatedProgressProxy::kProgressPercentMessage;
constexpr UINT kInstallerEventMessage = WM_APP + 102;   // wParam: InstallerEvent

// The installer's window: the first screen with the options, then the
// progress screen, over a modal dialog of template 1001. It owns the
// installer, which starts downloading as soon as the window object exists.
class MainWindow : public SubclassedWindow, public InstallerObserver {
 public:
  // What RunModal returns besides 1 (ended by the installation flow).
  static constexpr INT_PTR kClosedOnFirstScreen = 113;
  static constexpr INT_PTR kCancelledOnProgressScreen = 112;
  static constexpr INT_PTR kSystemClose = 2;

  // Nothing is owned. With |install| the installer is created with this
  // window as its observer and its thread started.
  MainWindow(const BrandInfo* brand_info, const DistribParams* distrib_params, bool install);
  ~MainWindow() override;

  int DialogId() const override;
  bool HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                     LRESULT* result) override;

  Installer* installer() const { return installer_.get(); }
  bool quick_start() const { return quick_start_; }
  int elevation_mode() const { return elevation_mode_; }

  // InstallerObserver.
  void SetProgress(float fraction) override;
  void OnSlowDownload() override;
  void SetTimeLeft(int seconds, int kind) override;
  void OnInstallFinished(int result) override;
  void OnInstallFailed(int type) override;
  HWND GetWindowHandle() override;
  void SetProgressPercent(int percent) override;
  void RemoveCancelButton() override;

 private:
  enum InstallerEvent : WPARAM { kEventFinished, kEventFailed, kEventRemoveCancelButton };

  BOOL OnInitDialog();
  void CreateCustomControls();
  void LayoutFirstScreen();
  void LayoutProgressDialog();
  void SwitchToProgressMode();
  void LayoutProgressControls();
  void StartSlides();
  void OnProgressTimer();
  void OnPaint();
  bool OnDrawItem(const DRAWITEMSTRUCT& item);
  LRESULT OnCustomDraw(const NMCUSTOMDRAW& draw);
  void OnCommand(int id);
  void OnInstallClicked();
  void OnLinkClicked(int id);
  void OnCheckBoxClicked(int id);
  ImageCheckBox* CheckBoxFor(int id) const;
  void OnCloseWindow();
  void OnHigherVersionExists();
  void OnSystemClose();
  // Runs the Resume dialog; Cancel there ends the window with |result|.
  void AskToCancel(INT_PTR result);
  // Answers an open Resume dialog with Resume.
  void EndResumeDialog();
  uint32_t language_id() const;
  void OnInstallerEvent(WPARAM event, LPARAM value);
  void OnProgressPercent(int percent);
  // Hides the window and its shadow, shows the failure's dialog and ends
  // the window; on the window's thread only.
  void ReportInstallFailure(int type);
  void HideWithShadow();
  // Whether the user is to be asked for the elevated restart, and the
  // restart did not take place.
  bool ElevatedRestartDeclined();
  void AllowRegisteredMessages();
  void InstallKeyboardHook();
  static LRESULT CALLBACK KeyboardHook(int code, WPARAM wparam, LPARAM lparam);
  // Arrows between Install and the licence link; true when the focus moved.
  bool OnHookKey(WPARAM key);
  bool IsWindowThread() const;
  void PostInstallerEvent(InstallerEvent event, LPARAM value);
  std::wstring String(int string_id) const;
  HFONT font(int number) const { return fonts_[number - 1].get(); }

  const BrandInfo* brand_info_;
  const DistribParams* distrib_params_;
  std::unique_ptr<ResumeDialog> resume_dialog_;
  ScopedFont fonts_[MainWindowTheme::kFontCount];
  std::unique_ptr<ImageProgressBar> progress_bar_;
  std::unique_ptr<Installer> installer_;
  ResourceBitmap background_image_;
  ResourceBitmap logo_image_;
  std::unique_ptr<ImageButton> install_button_;
  std::unique_ptr<ImageButton> close_button_;
  std::unique_ptr<ImageButton> progress_close_button_;
  std::unique_ptr<LinkLabel> privacy_link_;
  std::unique_ptr<LinkLabel> licence_link_;
  std::unique_ptr<LinkLabel> quick_start_link_;
  ITaskbarList3* taskbar_ = nullptr;
  std::unique_ptr<ImageCheckBox> default_check_box_;
  std::unique_ptr<ImageCheckBox> statistics_check_box_;
  std::unique_ptr<ImageCheckBox> mirra_check_box_;
  UINT import_progress_message_ = 0;
  UINT close_window_message_ = 0;
  UINT install_progress_message_ = 0;
  UINT higher_version_message_ = 0;
  std::atomic<int32_t> pending_failure_{0};
  std::atomic<bool> install_clicked_{false};
  bool quick_start_note_visible_ = false;
  ResourceBitmap built_in_slide_;
  std::unique_ptr<SlideDownloader> slides_;
  std::unique_ptr<Slideshow> slideshow_;
  // The percent reported before the progress screen showed.
  int last_percent_ = 0;
  HWND shadow_ = nullptr;
  std::shared_ptr<const MainWindowLayout> layout_;
  std::unique_ptr<MainWindowTheme> theme_;
  bool install_ = false;

  // Decided once from the parameters.
  bool quick_start_ = false;
  int elevation_mode_ = 0;
  bool can_make_default_ = true;
  bool progress_mode_ = false;
  // A failure is shown once, whichever thread reports it first.
  std::atomic<bool> failure_reported_{false};
  // The window handle the installer thread may post to; null before the
  // window exists and after it ended.
  std::atomic<HWND> observed_window_{nullptr};
  DWORD window_thread_id_ = 0;
};

}  // namespace lite

#endif  // LITE_UI_MAIN_WINDOW_H_
