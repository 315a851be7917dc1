#include "ui/main_window.h"

#include <oleacc.h>
#include <shellapi.h>

#include <utility>

#include "base/string_conversion.h"
#include "config/brand_info.h"
#include "config/distrib_params.h"
#include "install/installer.h"
#include "logging/log_record.h"
#include "process/installer_command_line.h"
#include "system/platform_queries.h"
#include "ui/built_in_slide.h"
#include "ui/drawing.h"
#include "ui/image_button.h"
#include "ui/image_check_box.h"
#include "ui/image_progress_bar.h"
#include "ui/link_label.h"
#include "ui/link_markup.h"
#include "ui/link_markup_layout.h"
#include "ui/main_window_options.h"
#include "ui/main_window_shadow.h"
#include "ui/message_dialogs.h"
#include "ui/resource_ids.h"
#include "ui/resource_strings.h"
#include "ui/resume_dialog.h"
#include "ui/scale_factor.h"
#include "ui/slide_downloader.h"
#include "ui/slide_folder_url.h"
#include "ui/slideshow.h"
#include "ui/text_metrics.h"
#include "ui/window_icons.h"

namespace lite {

// A note is laid out into controls of one line each, as wide as their text
// measures: its pieces are drawn as one measured line each.
constexpr UINT kNotePieceFormat = DT_SINGLELINE;

// The elevated instance hides the cancel control by this id.
static_assert(IDC_PROGRESS_CLOSE_BUTTON == ElevatedProgressProxy::kCancelButtonId);
namespace {

constexpr wchar_t kImportProgressMessage[] = L"zelmar.lite.set_import_progress";
constexpr wchar_t kCloseWindowMessage[] = L"zelmar.lite.close_window";
constexpr wchar_t kInstallProgressMessage[] = L"zelmar.lite.set_install_progress";
constexpr wchar_t kHigherVersionMessage[] = L"zelmar.higher_version_exist";

constexpr UINT_PTR kProgressTimer = 100;
constexpr UINT kProgressTimerPeriodMs = 20;
constexpr COLORREF kBlack = RGB(0, 0, 0);

// One keyboard hook per thread, and one window on it.
HHOOK g_keyboard_hook = nullptr;
MainWindow* g_hook_window = nullptr;

const DistribParams& ParamsOrEmpty(const DistribParams* params) {
  static const DistribParams* const kNoParams = new DistribParams();
  return params ? *params : *kNoParams;
}

void PlaceControl(HWND control, const RECT& rect, UINT flags = 0) {
  ::SetWindowPos(control, nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE | flags);
}

void DestroyControls(HWND window, int id) {
  while (const HWND control = ::GetDlgItem(window, id)) {
    if (!::DestroyWindow(control)) break;
  }
}

}  // namespace

MainWindow::MainWindow(const BrandInfo* brand_info, const DistribParams* distrib_params,
                       bool install)
    : brand_info_(brand_info), distrib_params_(distrib_params), install_(install) {
  resume_dialog_ = std::make_unique<ResumeDialog>(language_id());
  import_progress_message_ = ::RegisterWindowMessageW(kImportProgressMessage);
  close_window_message_ = ::RegisterWindowMessageW(kCloseWindowMessage);
  install_progress_message_ = ::RegisterWindowMessageW(kInstallProgressMessage);
  higher_version_message_ = ::RegisterWindowMessageW(kHigherVersionMessage);

  const DistribParams& params = ParamsOrEmpty(distrib_params_);
  quick_start_ = params.StartAtOnce();
  elevation_mode_ = params.GetElevationMode(InstallerCommandLine::ForCurrentProcess());
  const VisualVariant variant = params.IsParamOne("ins") ? VisualVariant::kA : VisualVariant::kB;
  const bool mirra_prompt = brand_info_ && brand_info_->mirra_taskbar_shortcut_prompt();
  layout_ = std::make_shared<MainWindowLayout>(
      FirstScreenLayoutType(params, elevation_mode_, mirra_prompt), variant);
  theme_ = std::make_unique<MainWindowTheme>(variant, brand_info_, layout_);

  if (install_) {
    installer_ = std::make_unique<Installer>(this, brand_info_, distrib_params_, true);
    installer_->set_scale_factor(ScaleFactor());
    installer_->StartInstallThread();
  }
}

MainWindow::~MainWindow() {
  if (g_hook_window == this) {
    ::UnhookWindowsHookEx(g_keyboard_hook);
    g_keyboard_hook = nullptr;
    g_hook_window = nullptr;
  }
  theme_.reset();
  layout_.reset();
  resume_dialog_.reset();
  background_image_ = ResourceBitmap();
  logo_image_ = ResourceBitmap();
  slideshow_.reset();
  slides_.reset();
  built_in_slide_ = ResourceBitmap();
  default_check_box_.reset();
  statistics_check_box_.reset();
  mirra_check_box_.reset();
  if (taskbar_) {
    taskbar_->Release();
    taskbar_ = nullptr;
  }
  install_button_.reset();
  close_button_.reset();
  progress_close_button_.reset();
  privacy_link_.reset();
  licence_link_.reset();
  quick_start_link_.reset();
  progress_bar_.reset();
  // Stops and joins the installer thread, the last caller of the observer.
  installer_.reset();
  for (ScopedFont& font : fonts_) font.reset();
  Detach();
}

int MainWindow::DialogId() const { return IDD_MAIN_WINDOW; }

uint32_t MainWindow::language_id() const { return brand_info_ ? brand_info_->language_id : 1033; }

std::wstring MainWindow::String(int string_id) const { return LoadUiString(string_id, language_id()); }

bool MainWindow::IsWindowThread() const { return ::GetCurrentThreadId() == window_thread_id_; }

bool MainWindow::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                               LRESULT* result) {
  switch (message) {
    case WM_INITDIALOG:
      *result = OnInitDialog();
      return true;
    case WM_PAINT:
      OnPaint();
      *result = 0;
      return true;
    case WM_ERASEBKGND:
      *result = 1;
      return true;
    case WM_CTLCOLORDLG:
      *result = reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
      return true;
    case WM_DRAWITEM:
      if (!OnDrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam))) return false;
      *result = TRUE;
      return true;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->code != static_cast<UINT>(NM_CUSTOMDRAW)) return false;
      *result = OnCustomDraw(*reinterpret_cast<const NMCUSTOMDRAW*>(lparam));
      return true;
    }
    case WM_NCACTIVATE:
      if (wparam && install_button_) install_button_->set_show_focus(false);
      *result = TRUE;
      return true;
    case WM_COMMAND:
      if (HIWORD(wparam) != 0) return false;
      OnCommand(LOWORD(wparam));
      *result = 0;
      return true;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) OnSystemClose();
      *result = 0;
      return true;
    case WM_TIMER:
      if (wparam != kProgressTimer) return false;
      OnProgressTimer();
      *result = 0;
      return true;
    case kProgressPercentMessage:
      OnProgressPercent(static_cast<int>(wparam));
      *result = 0;
      return true;
    case kInstallerEventMessage:
      OnInstallerEvent(wparam, lparam);
      *result = 0;
      return true;
    case WM_DESTROY:
      // Late reports of the installer thread must not reach a handle that
      // may be reused.
      observed_window_.store(nullptr);
      return false;
    default:
      break;
  }
  if (message == install_progress_message_) {
    const int percent = InstallStagePercent(wparam);
    LOG(INFO, "OnInstallProgress") << "--> Installer > MainWindow::OnInstallProgress: " << percent;
    if (percent != 0) SetProgressPercent(percent);
  } else if (message == import_progress_message_) {
    LOG(INFO, "OnImportProgress") << "--> Installer > MainWindow::OnImportProgress: "
                                  << static_cast<uint64_t>(wparam);
    SetProgressPercent(ImportPercent(wparam));
  } else if (message == close_window_message_) {
    OnCloseWindow();
  } else if (message == higher_version_message_) {
    OnHigherVersionExists();
  } else {
    return false;
  }
  *result = 0;
  return true;
}

BOOL MainWindow::OnInitDialog() {
  const HWND window = this->window();
  window_thread_id_ = ::GetCurrentThreadId();
  observed_window_.store(window);
  AllowRegisteredMessages();

  if (elevation_mode_ == 1 && ElevatedRestartDeclined()) {
    LOG(INFO, "OnInitDialog") << "Declined running the installer as admin";
  }

  const ImageIds background = theme_->BackgroundImage();
  background_image_.LoadScaled(background.normal, background.high_resolution);
  const ImageIds logo = theme_->FirstScreenLogoImages();
  logo_image_.LoadScaled(logo.normal, logo.high_resolution);
  ::SetWindowTextW(window, String(400).c_str());
  SetItemText(IDC_INSTALL_BUTTON, String(405));
  SetItemText(IDC_DEFAULT_CHECK_BOX, String(theme_->DefaultCheckBoxStringId()));
  SetItemText(IDC_STATISTICS_CHECK_BOX, String(414));
  SetItemText(IDC_PRIVACY_LINK, String(417));
  SetItemText(IDC_TITLE, String(theme_->TitleStringId()));
  SetItemText(IDC_MIRRA_CHECK_BOX,
              String(ParamsOrEmpty(distrib_params_).UseAlternativeMirraWording() ? 416 : 415));

  SetWindowIcons(window, IDI_WINDOW);
  for (int number = 1; number <= MainWindowTheme::kFontCount; ++number) {
    const FontSpec spec = theme_->Font(number);
    fonts_[number - 1] = CreateUiFont(spec.face, Scale(spec.size), FW_NORMAL, spec.underline);
  }

  ::SetWindowPos(window, nullptr, 0, 0, background_image_.Width(), background_image_.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  CenterWindow();
  shadow_ = CreateMainWindowShadow(window);

  CreateNoteControls(window, ScaleRect(layout_->LicenceNoteRect()), String(430), font(3),
                     LineHeight(font(3)), false, IDC_LICENCE_NOTE, IDC_LICENCE_LINK);
  CreateCustomControls();

  if (quick_start_) {
    LayoutProgressDialog();
  } else {
    LayoutFirstScreen();
  }

  // Tab order: Install first, then close, the boxes and the links.
  HWND previous = ::GetDlgItem(window, IDC_INSTALL_BUTTON);
  ::SetWindowPos(previous, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (int id : {IDC_CLOSE_BUTTON, IDC_DEFAULT_CHECK_BOX, IDC_MIRRA_CHECK_BOX,
                 IDC_STATISTICS_CHECK_BOX, IDC_PRIVACY_LINK, IDC_LICENCE_LINK}) {
    const HWND control = ::GetDlgItem(window, id);
    if (!control) continue;
    ::SetWindowPos(control, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    previous = control;
  }

  InstallKeyboardHook();
  // Quick start has put the focus on the progress bar; the dialog manager
  // would move it to the first tab stop, the note's link.
  return quick_start_ ? FALSE : TRUE;
}

void MainWindow::AllowRegisteredMessages() {
  using FilterEx = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
  using Filter = BOOL(WINAPI*)(UINT, DWORD);
  const WindowsVersion version = Platform().GetWindowsVersion();
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  const UINT messages[] = {import_progress_message_, close_window_message_,
                           install_progress_message_, higher_version_message_};
  if (version.major > 6 || (version.major == 6 && version.minor >= 1)) {
    const auto filter =
        reinterpret_cast<FilterEx>(reinterpret_cast<void*>(
        ::GetProcAddress(user32, "ChangeWindowMessageFilterEx")));
    if (!filter) return;
    for (UINT message : messages) filter(window(), message, 1 /* MSGFLT_ALLOW */, nullptr);
  } else if (version.major == 6) {
    const auto filter =
        reinterpret_cast<Filter>(
        reinterpret_cast<void*>(::GetProcAddress(user32, "ChangeWindowMessageFilter")));
    if (!filter) return;
    for (UINT message : messages) filter(message, 1 /* MSGFLT_ADD */);
  }
}

bool MainWindow::ElevatedRestartDeclined() {
  return installer_ && installer_->NeedStartThisProcessAsAdmin() && !installer_->RestartAsAdmin();
}

void MainWindow::CreateCustomControls() {
  const HWND window = this->window();
  const ImageIds install = theme_->InstallButtonImages();
  install_button_ = std::make_unique<ImageButton>(
      install.normal, install.high_resolution, kBlack, font(2),
      ::GetDlgItem(window, IDC_INSTALL_BUTTON), background_image_, 0, 0);
  close_button_ = std::make_unique<ImageButton>(IDR_CLOSE_BUTTON, 0, kBlack, nullptr,
                                                ::GetDlgItem(window, IDC_CLOSE_BUTTON),
                                                background_image_, 0, 0);
  close_button_->accessible().SetAccessibleInfo(ROLE_SYSTEM_PUSHBUTTON, String(408),
                                                std::wstring());

  can_make_default_ = !installer_ || installer_->CanMakeDefaultBrowser();
  const bool default_checked =
      brand_info_ && brand_info_->make_browser_default() && can_make_default_;
  const HWND default_box = ::GetDlgItem(window, IDC_DEFAULT_CHECK_BOX);
  if (!can_make_default_) ::ShowWindow(default_box, SW_HIDE);

  const ImageIds box = theme_->CheckBoxImages();
  auto check_box = [&](HWND control, bool checked) {
    return std::make_unique<ImageCheckBox>(box.normal, box.high_resolution, theme_->LabelColour(),
                                           font(3), control, background_image_, checked,
                                           theme_->LabelAlpha(), true);
  };
  default_check_box_ = check_box(default_box, default_checked);
  statistics_check_box_ = check_box(::GetDlgItem(window, IDC_STATISTICS_CHECK_BOX),
                                    brand_info_ && brand_info_->send_statistics());
  mirra_check_box_ = check_box(::GetDlgItem(window, IDC_MIRRA_CHECK_BOX), true);

  licence_link_ = std::make_unique<LinkLabel>(::GetDlgItem(window, IDC_LICENCE_LINK),
                                              theme_->LabelColour(), theme_->LabelAlpha(),
                                              font(4), background_image_, DT_SINGLELINE);
  licence_link_->accessible().SetAccessibleInfo(ROLE_SYSTEM_LINK, RemoveParentheses(String(430)),
                                                std::wstring());
  privacy_link_ = std::make_unique<LinkLabel>(::GetDlgItem(window, IDC_PRIVACY_LINK),
                                              theme_->LabelColour(), theme_->LabelAlpha(),
                                              font(4), background_image_);
  privacy_link_->accessible().SetAccessibleInfo(ROLE_SYSTEM_LINK, String(417), std::wstring());
}

void MainWindow::LayoutFirstScreen() {
  const HWND window = this->window();
  PlaceControl(::GetDlgItem(window, IDC_TITLE), ScaleRect(layout_->TitleRect()));

  // The layout type says which boxes the distribution leaves to the user;
  // a box not shown keeps an empty rectangle. Returns where the box went.
  auto place_box = [&](ImageCheckBox* box, int bit, const RECT& layout_rect) {
    RECT rect = {0, 0, 0, 0};
    if (layout_->type() & bit) {
      rect = ScaleRect(layout_rect);
      rect.bottom = rect.top + box->MeasureHeight(rect);
      ::ShowWindow(box->window(), SW_SHOWNA);
    }
    PlaceControl(box->window(), rect);
    return rect;
  };
  place_box(default_check_box_.get(), kDefaultBox, layout_->DefaultCheckBoxRect());
  place_box(mirra_check_box_.get(), kMirraBox, layout_->MirraCheckBoxRect());
  const RECT statistics =
      place_box(statistics_check_box_.get(), kStatisticsBox, layout_->StatisticsCheckBoxRect());
  if (layout_->type() & kStatisticsBox) {
    const HWND link = ::GetDlgItem(window, IDC_PRIVACY_LINK);
    SIZE size = {};
    {
      ScopedGetDc dc(link);
      ScopedSelectObject select(dc.get(), font(4));
      size = TextExtent(dc.get(), WindowText(link));
    }
    const int left = statistics_check_box_->margin() + Scale(layout_->PrivacyLinkRect().left);
    PlaceControl(link, RECT{left, statistics.bottom, left + size.cx, statistics.bottom + size.cy});
  }

  const HWND install = ::GetDlgItem(window, IDC_INSTALL_BUTTON);
  const RECT install_rect = ScaleRect(layout_->InstallButtonRect());
  const SIZE install_size = install_button_->Size();
  PlaceControl(install, RECT{install_rect.left, install_rect.top,
                             install_rect.left + install_size.cx,
                             install_rect.top + install_size.cy});
  const RECT close_rect = ScaleRect(layout_->CloseButtonRect());
  const SIZE close_size = close_button_->Size();
  PlaceControl(::GetDlgItem(window, IDC_CLOSE_BUTTON),
               RECT{close_rect.left, close_rect.top, close_rect.left + close_size.cx,
                    close_rect.top + close_size.cy});
}

void MainWindow::LayoutProgressDialog() {
  CheckBoxStates boxes;
  boxes.make_default = default_check_box_ && default_check_box_->IsChecked();
  boxes.send_statistics = statistics_check_box_ && statistics_check_box_->IsChecked();
  boxes.mirra_shortcut = !mirra_check_box_ || mirra_check_box_->IsChecked();
  const InstallOptions options = ResolveInstallOptions(ParamsOrEmpty(distrib_params_), boxes);
  if (installer_) {
    installer_->SetMakeDefault(options.make_default);
    installer_->set_send_statistics(options.send_statistics);
    installer_->set_create_mirra_shortcut(options.mirra_shortcut);
    if (options.set_disable_mirra) installer_->set_disable_mirra_logic(options.disable_mirra);
  }
  ::SetFocus(window());
  SwitchToProgressMode();

  if (const int pending = pending_failure_.load()) {
    OnInstallFailed(pending);
    return;
  }
  if (elevation_mode_ == 0 && ElevatedRestartDeclined()) {
    LOG(INFO, "LayoutProgressDialog") << "Declined running the installer as admin";
  }
  LayoutProgressControls();
  ::SetFocus(progress_bar_->window());
  if (installer_) installer_->StartInstallation();
  progress_mode_ = true;
  // The download runs behind the first screen: the bar starts where it
  // has got to, not at 0 until the next report.
  if (last_percent_) OnProgressPercent(last_percent_);
}

void MainWindow::SwitchToProgressMode() {
  const HWND window = this->window();
  if (SUCCEEDED(::CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_ALL, IID_ITaskbarList3,
                                   reinterpret_cast<void**>(&taskbar_)))) {
    taskbar_->SetProgressState(window, TBPF_NORMAL);
    taskbar_->SetProgressValue(window, 0, 100);
  } else {
    taskbar_ = nullptr;
  }
  built_in_slide_ = ComposeBuiltInSlide(*theme_, font(5), font(6), font(1),
                                        theme_->SlidePictureDivisor());
  if (quick_start_) {
    quick_start_note_visible_ = true;
    CreateNoteControls(window, ScaleRect(layout_->QuickStartNoteRect()), String(430), font(7),
                       LineHeight(font(3)), true, IDC_QUICK_START_NOTE, IDC_QUICK_START_LINK);
  }

  progress_bar_ = std::make_unique<ImageProgressBar>(::GetDlgItem(window, IDC_PROGRESS_BAR));
  progress_bar_->accessible().SetAccessibleInfo(ROLE_SYSTEM_PROGRESSBAR, std::wstring(),
                                                std::wstring());
  const ImageIds filled = theme_->ProgressFilledImages();
  const ImageIds empty = theme_->ProgressEmptyImages();
  progress_bar_->SetImages(filled.normal, filled.high_resolution, empty.normal,
                           empty.high_resolution, &built_in_slide_);
  PlaceControl(progress_bar_->window(), ScaleRect(layout_->ProgressBarRect()), SWP_NOREDRAW);
  PlaceControl(::GetDlgItem(window, IDC_PERCENT_LABEL), ScaleRect(layout_->PercentLabelRect()),
               SWP_NOREDRAW);

  const HWND close = ::GetDlgItem(window, IDC_PROGRESS_CLOSE_BUTTON);
  if (close) {
    ::SetWindowLongPtrW(close, GWL_STYLE, ::GetWindowLongPtrW(close, GWL_STYLE) | WS_VISIBLE);
    // Over the slides' top band, white in every slide.
    progress_close_button_ = std::make_unique<ImageButton>(IDR_PROGRESS_CLOSE_BUTTON, 0, kBlack,
                                                           nullptr, close, built_in_slide_, 0, 0);
    progress_close_button_->accessible().SetAccessibleInfo(ROLE_SYSTEM_PUSHBUTTON, String(408),
                                                           std::wstring());
  }
  if (quick_start_) {
    // Over the built-in slide, which is what lies under the note for as
    // long as it shows (it goes when the slide changes).
    quick_start_link_ =
        std::make_unique<LinkLabel>(::GetDlgItem(window, IDC_QUICK_START_LINK), kBlack,
                                    theme_->TitleAlpha(), font(8), built_in_slide_,
                                    DT_SINGLELINE);
    quick_start_link_->accessible().SetAccessibleInfo(
        ROLE_SYSTEM_LINK, RemoveParentheses(String(430)), std::wstring());
  }
  StartSlides();
}

void MainWindow::LayoutProgressControls() {
  const HWND window = this->window();
  // The objects go before their windows, so that none outlives its window.
  install_button_.reset();
  close_button_.reset();
  default_check_box_.reset();
  statistics_check_box_.reset();
  mirra_check_box_.reset();
  privacy_link_.reset();
  licence_link_.reset();
  for (int id : {IDC_INSTALL_BUTTON, IDC_CLOSE_BUTTON, IDC_TITLE, IDC_LICENCE_LINK,
                 IDC_DEFAULT_CHECK_BOX, IDC_STATISTICS_CHECK_BOX, IDC_MIRRA_CHECK_BOX,
                 IDC_PRIVACY_LINK, IDC_LICENCE_NOTE}) {
    DestroyControls(window, id);
  }

  if (ParamsOrEmpty(distrib_params_).IsParamOne("cancel") && progress_close_button_) {
    const RECT close_rect = ScaleRect(layout_->CloseButtonRect());
    const SIZE close_size = progress_close_button_->Size();
    PlaceControl(progress_close_button_->window(),
                 RECT{close_rect.left, close_rect.top, close_rect.left + close_size.cx,
                      close_rect.top + close_size.cy});
  } else {
    RemoveCancelButton();
  }

  ::ShowWindow(progress_bar_->window(), SW_SHOWNA);
  progress_bar_->SetRange(0, 100);
  progress_bar_->SetPosition(0);
  const ImageIds logo = theme_->ProgressScreenLogoImages();
  logo_image_.LoadScaled(logo.normal, logo.high_resolution);
  ::SetTimer(window, kProgressTimer, kProgressTimerPeriodMs, nullptr);
}

void MainWindow::StartSlides() {
  const std::string folder =
      brand_info_ ? GetSlideFolderUrl(*brand_info_, ParamsOrEmpty(distrib_params_)) : std::string();
  slides_ = std::make_unique<SlideDownloader>(built_in_slide_, UTF8ToWide(folder));
  slideshow_ = std::make_unique<Slideshow>(slides_.get(), SIZE{Scale(728), Scale(400)},
                                           theme_->Brush(), 1);
}

void MainWindow::OnProgressTimer() {
  if (quick_start_note_visible_ && slideshow_->HasMovedOn()) {
    quick_start_link_.reset();
    DestroyControls(window(), IDC_QUICK_START_NOTE);
    DestroyControls(window(), IDC_QUICK_START_LINK);
    quick_start_note_visible_ = false;
  }
  if (slideshow_->Advance()) ::InvalidateRect(window(), nullptr, FALSE);
}

void MainWindow::OnPaint() {
  PAINTSTRUCT paint;
  const HDC dc = ::BeginPaint(window(), &paint);
  RECT client = {};
  ::GetClientRect(window(), &client);
  PaintBuffered(dc, client, [this](HDC target, const RECT& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (progress_mode_) {
      slideshow_->Draw(target, rect);
    } else {
      background_image_.DrawImage(target, rect.left, rect.top, width, height, rect.left,
                                  rect.top, width, height);
    }
    const RECT logo = ScaleRect(layout_->LogoRect());
    logo_image_.DrawImage(target, logo.left, logo.top, logo.right - logo.left,
                          logo.bottom - logo.top, 0, 0, logo_image_.Width(), logo_image_.Height());
  });
  ::EndPaint(window(), &paint);
}

bool MainWindow::OnDrawItem(const DRAWITEMSTRUCT& item) {
  switch (item.CtlID) {
    case IDC_TITLE:
    case IDC_LICENCE_NOTE:
    case IDC_PERCENT_LABEL: {
      const bool title = item.CtlID == IDC_TITLE;
      const bool percent = item.CtlID == IDC_PERCENT_LABEL;
      const ResourceBitmap& background = percent ? built_in_slide_ : background_image_;
      DrawParentBackground(item.hDC, item.hwndItem, background, item.rcItem);
      DrawAlphaText(item.hDC, item.rcItem, WindowText(item.hwndItem), title ? font(1) : font(3),
                    title ? theme_->TitleColour() : percent ? kBlack : theme_->LabelColour(),
                    title || percent ? 255 : theme_->LabelAlpha(),
                    title ? theme_->TitleFormat() : kNotePieceFormat);
      return true;
    }
    case IDC_DEFAULT_CHECK_BOX:
    case IDC_STATISTICS_CHECK_BOX:
    case IDC_MIRRA_CHECK_BOX:
      if (ImageCheckBox* box = CheckBoxFor(item.CtlID)) box->OnDrawItem(item);
      return true;
    case IDC_PRIVACY_LINK:
      if (privacy_link_) privacy_link_->OnDrawItem(item);
      return true;
    case IDC_LICENCE_LINK:
      if (licence_link_) licence_link_->OnDrawItem(item);
      return true;
    case IDC_QUICK_START_LINK:
      if (quick_start_link_) quick_start_link_->OnDrawItem(item);
      return true;
    case IDC_QUICK_START_NOTE: {
      // Children are not composited over the parent everywhere: the
      // slide's pixels go under the text first.
      DrawParentBackground(item.hDC, item.hwndItem, built_in_slide_, item.rcItem);
      const HGDIOBJ previous = ::SelectObject(item.hDC, font(7));
      ::SetBkMode(item.hDC, TRANSPARENT);
      ::SetTextColor(item.hDC, kBlack);
      DrawLineAsMeasured(item.hDC, WindowText(item.hwndItem));
      ::SelectObject(item.hDC, previous);
      return true;
    }
    default:
      return false;
  }
}

LRESULT MainWindow::OnCustomDraw(const NMCUSTOMDRAW& draw) {
  switch (draw.hdr.idFrom) {
    case IDC_INSTALL_BUTTON:
    case IDC_CLOSE_BUTTON: {
      ImageButton* button =
          draw.hdr.idFrom == IDC_INSTALL_BUTTON ? install_button_.get() : close_button_.get();
      if (!button) return 0;
      if ((draw.uItemState & CDIS_SHOWKEYBOARDCUES) && !(draw.uItemState & CDIS_FOCUS)) {
        button->set_show_focus(true);
      }
      button->OnCustomDraw(draw, draw.hdr.idFrom == IDC_INSTALL_BUTTON ? 2 : 0);
      return CDRF_SKIPDEFAULT;
    }
    case IDC_PROGRESS_CLOSE_BUTTON:
      if (!progress_close_button_) return 0;
      progress_close_button_->OnCustomDraw(draw, 2);
      return CDRF_SKIPDEFAULT;
    case IDC_DEFAULT_CHECK_BOX:
    case IDC_STATISTICS_CHECK_BOX:
    case IDC_MIRRA_CHECK_BOX: {
      ImageCheckBox* box = CheckBoxFor(static_cast<int>(draw.hdr.idFrom));
      return box && box->OnCustomDraw(draw) ? CDRF_SKIPDEFAULT : 0;
    }
    default:
      return 0;
  }
}

void MainWindow::OnCommand(int id) {
  switch (id) {
    case IDC_INSTALL_BUTTON:
      OnInstallClicked();
      break;
    case IDC_CLOSE_BUTTON:
      if (installer_) installer_->IncrementCancelCount();
      ::EndDialog(window(), kClosedOnFirstScreen);
      if (installer_) installer_->SendButtonClickedEvent("cancel");
      break;
    case IDCANCEL:
      if (installer_) installer_->SendButtonClickedEvent("cancel");
      break;
    case IDC_PROGRESS_CLOSE_BUTTON:
      AskToCancel(kCancelledOnProgressScreen);
      break;
    case IDC_PRIVACY_LINK:
    case IDC_LICENCE_LINK:
    case IDC_QUICK_START_LINK:
      OnLinkClicked(id);
      break;
    case IDC_DEFAULT_CHECK_BOX:
    case IDC_STATISTICS_CHECK_BOX:
    case IDC_MIRRA_CHECK_BOX:
      OnCheckBoxClicked(id);
      break;
    default:
      break;
  }
}

void MainWindow::OnInstallClicked() {
  // Quick start began the installation without a click, and never counts
  // one: the flow's reports do not end its window.
  if (quick_start_) return;
  if (install_clicked_.exchange(true)) return;
  if (installer_) {
    installer_->RecordOkButtonTime();
    installer_->SendButtonClickedEvent("install");
    installer_->SendInstallButtonClickedEvent();
  }
  LayoutProgressDialog();
  ::InvalidateRect(window(), nullptr, TRUE);
}

void MainWindow::OnLinkClicked(int id) {
  if (!brand_info_) return;
  const std::wstring address =
      id == IDC_PRIVACY_LINK
          ? UTF8ToWide(brand_info_->privacy_policy_url + "?lang=" + brand_info_->interface_language)
          : brand_info_->GetLicenseLinkUrl();
  ::ShellExecuteW(window(), L"open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
  if (installer_) installer_->SendLinkClickedEvent(WideToUTF8(address));
}

ImageCheckBox* MainWindow::CheckBoxFor(int id) const {
  switch (id) {
    case IDC_DEFAULT_CHECK_BOX:
      return default_check_box_.get();
    case IDC_STATISTICS_CHECK_BOX:
      return statistics_check_box_.get();
    case IDC_MIRRA_CHECK_BOX:
      return mirra_check_box_.get();
    default:
      return nullptr;
  }
}

void MainWindow::OnCheckBoxClicked(int id) {
  if (ImageCheckBox* box = CheckBoxFor(id)) box->Toggle();
  if (!installer_) return;
  installer_->SendCheckBoxChosenEvent(id == IDC_DEFAULT_CHECK_BOX      ? "default"
                                      : id == IDC_STATISTICS_CHECK_BOX ? "sendstat"
                                                                       : "mirrashortcut");
}

void MainWindow::HideWithShadow() {
  ::ShowWindow(window(), SW_HIDE);
  if (shadow_) ::ShowWindow(shadow_, SW_HIDE);
}

void MainWindow::OnCloseWindow() {
  HideWithShadow();
  LOG(INFO, "OnCloseWindow") << "--> Installer > MainWindow::OnCloseWindow";
  if (installer_ && !installer_->WaitForInstallAsync()) {
    PLOG(ERROR, "OnCloseWindow")
        << "--> Installer > MainWindow::OnCloseWindow: WaitForInstallAsync timeout";
  }
  EndResumeDialog();
  ::EndDialog(window(), 1);
  ::KillTimer(window(), kProgressTimer);
}

void MainWindow::OnHigherVersionExists() {
  HideWithShadow();
  EndResumeDialog();
  RunNewerVersionNotice(language_id());
  ::EndDialog(window(), 1);
}

void MainWindow::OnSystemClose() {
  if (!progress_mode_) {
    ::EndDialog(window(), kSystemClose);
    return;
  }
  // On the progress screen closing asks first, as the close button does,
  // and only while the installation can still be cancelled: the elevated
  // instance hides the button once its setup runs.
  if (progress_close_button_ && ::IsWindowVisible(progress_close_button_->window())) {
    AskToCancel(kSystemClose);
  }
}

void MainWindow::AskToCancel(INT_PTR result) {
  if (!resume_dialog_ || resume_dialog_->IsOpen()) return;
  if (resume_dialog_->Run() != IDC_SECOND_BUTTON) return;
  if (installer_) installer_->IncrementCancelCount();
  ::EndDialog(window(), result);
}

void MainWindow::EndResumeDialog() {
  if (resume_dialog_ && resume_dialog_->IsOpen()) ::EndDialog(resume_dialog_->window(), 1);
}

void MainWindow::OnProgressPercent(int percent) {
  if (!progress_mode_) {
    last_percent_ = percent;
    return;
  }
  if (percent == progress_bar_->Position()) return;
  progress_bar_->SetPosition(percent);
  SetItemText(IDC_PERCENT_LABEL, std::to_wstring(percent) + L"%");
  const RECT label = ScaleRect(layout_->PercentLabelRect());
  ::InvalidateRect(window(), &label, TRUE);
  if (taskbar_) taskbar_->SetProgressValue(window(), percent, 100);
}

// Observer calls. Those of the installer thread only post; the window's
// thread does the work, so that no thread ever waits on the other while
// that one waits for it (the window waits for the installer when closing).

void MainWindow::SetProgress(float fraction) { SetProgressPercent(DownloadPercent(fraction)); }

void MainWindow::OnSlowDownload() {}

void MainWindow::SetTimeLeft(int, int) {}

void MainWindow::OnInstallFinished(int) {
  if (!install_clicked_.load()) return;
  if (IsWindowThread()) {
    ::EndDialog(window(), 1);
  } else {
    PostInstallerEvent(kEventFinished, 0);
  }
}

void MainWindow::OnInstallFailed(int type) {
  pending_failure_.store(type);
  if (!install_clicked_.load()) return;
  if (IsWindowThread()) {
    ReportInstallFailure(type);
  } else {
    PostInstallerEvent(kEventFailed, type);
  }
}

HWND MainWindow::GetWindowHandle() { return observed_window_.load(); }

void MainWindow::SetProgressPercent(int percent) {
  if (const HWND window = observed_window_.load()) {
    ::PostMessageW(window, kProgressPercentMessage, static_cast<WPARAM>(percent), 0);
  }
}

void MainWindow::RemoveCancelButton() {
  if (!IsWindowThread()) {
    PostInstallerEvent(kEventRemoveCancelButton, 0);
    return;
  }
  progress_close_button_.reset();
  DestroyControls(window(), IDC_PROGRESS_CLOSE_BUTTON);
  // The setup runs: there is nothing left to cancel, so a question still
  // open is answered with Resume.
  EndResumeDialog();
}

void MainWindow::PostInstallerEvent(InstallerEvent event, LPARAM value) {
  if (const HWND window = observed_window_.load()) {
    ::PostMessageW(window, kInstallerEventMessage, event, value);
  }
}

void MainWindow::OnInstallerEvent(WPARAM event, LPARAM value) {
  switch (event) {
    case kEventFinished:
      OnInstallFinished(1);
      break;
    case kEventFailed:
      OnInstallFailed(static_cast<int>(value));
      break;
    case kEventRemoveCancelButton:
      RemoveCancelButton();
      break;
    default:
      break;
  }
}

void MainWindow::ReportInstallFailure(int type) {
  if (failure_reported_.exchange(true)) return;
  if (type != 0) {
    HideWithShadow();
    EndResumeDialog();
    const std::string download_page =
        brand_info_ ? BuildDownloadPageUrl(*brand_info_, ParamsOrEmpty(distrib_params_))
                    : std::string();
    RunInstallFailureDialog(type, language_id(), download_page);
  }
  ::EndDialog(window(), 1);
}

void MainWindow::InstallKeyboardHook() {
  if (g_keyboard_hook) return;
  g_keyboard_hook =
      ::SetWindowsHookExW(WH_KEYBOARD, &MainWindow::KeyboardHook, nullptr, ::GetCurrentThreadId());
  if (g_keyboard_hook) g_hook_window = this;
}

// static
LRESULT CALLBACK MainWindow::KeyboardHook(int code, WPARAM wparam, LPARAM lparam) {
  const LRESULT next = ::CallNextHookEx(g_keyboard_hook, code, wparam, lparam);
  // Key presses only (bit 31 clear). A move made here swallows the press:
  // the dialog manager would otherwise move the focus again, along its
  // group, before the key's release arrives.
  const bool press = (static_cast<uint32_t>(lparam) & 0x80000000u) == 0;
  if (code == HC_ACTION && press && g_hook_window && g_hook_window->OnHookKey(wparam)) return 1;
  return next;
}

bool MainWindow::OnHookKey(WPARAM key) {
  const HWND focus = ::GetFocus();
  if (!focus) return false;
  const HWND install = ::GetDlgItem(window(), IDC_INSTALL_BUTTON);
  const HWND licence = ::GetDlgItem(window(), IDC_LICENCE_LINK);
  if ((key == VK_LEFT || key == VK_UP) && focus == install && licence) {
    ::SetFocus(licence);
    return true;
  }
  if ((key == VK_RIGHT || key == VK_DOWN) && focus == licence && install) {
    ::SetFocus(install);
    return true;
  }
  return false;
}

}  // namespace lite
