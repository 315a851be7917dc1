#ifndef LITE_PROCESS_SWITCHES_H_
#define LITE_PROCESS_SWITCHES_H_

namespace lite {
namespace switches {

// Read from the installer's own command line.
inline constexpr char kCheckTheInterface[] = "check-the-interface";
inline constexpr char kSpawnedInProtectedDir[] = "spawned_in_protected_dir";
inline constexpr char kRunAsAdmin[] = "run-as-admin";
inline constexpr char kParentInstallerProcessId[] = "parent-installer-process-id";
inline constexpr char kSetupCmdLine[] = "setup-cmd-line";
inline constexpr char kSilent[] = "silent";
inline constexpr char kSemiSilent[] = "semi-silent";
inline constexpr char kUacEnabled[] = "uac-enabled";
inline constexpr char kSystemLevel[] = "system-level";
inline constexpr char kProgramFilesInstallation[] = "program-files-installation";
inline constexpr char kBrandName[] = "brand-name";
inline constexpr char kMakeBrowserDefaultAfterImport[] = "make-browser-default-after-import";
inline constexpr char kSendStatistics[] = "send-statistics";
inline constexpr char kDoNotLaunchBrowser[] = "do-not-launch-browser";
inline constexpr char kDownloadX64[] = "download-x64";
inline constexpr char kDownloadX32[] = "download-x32";
inline constexpr char kInstallerData[] = "installerdata";
inline constexpr char kClidsFile[] = "clids-file";
inline constexpr char kClidsSearchbandFile[] = "clids-searchband-file";
inline constexpr char kZelmarWebsiteIconFile[] = "zelmar-website-icon-file";
inline constexpr char kAbtConfigResourceFile[] = "abt-config-resource-file";
inline constexpr char kDistrInfoParams[] = "distr-info-params";
inline constexpr char kForceDeviceScaleFactor[] = "force-device-scale-factor";
inline constexpr char kInsUrl[] = "ins-url";

// Written for the setup program.
inline constexpr char kSource[] = "source";
inline constexpr char kProgressWindow[] = "progress-window";
inline constexpr char kDisableUac[] = "disable-uac";
inline constexpr char kVerboseLogging[] = "verbose-logging";
inline constexpr char kDistrInfoFile[] = "distr-info-file";
inline constexpr char kCreateMirraShortcutInTaskbar[] = "create-mirra-shortcut-in-taskbar";
inline constexpr char kDisableMirraLogicApply[] = "disable-mirra-logic-apply";
inline constexpr char kOkButtonPressedTime[] = "ok-button-pressed-time";
inline constexpr char kInstallStartTimeNoUac[] = "install-start-time-no-uac";
inline constexpr char kTheInterfaceAvailability[] = "the-interface-availability";
inline constexpr char kBrandPackage[] = "brand-package";
inline constexpr char kPartnerPackage[] = "partner-package";
inline constexpr char kOverridePartnerPackage[] = "override-partner-package";
inline constexpr char kShowUacAtBrowserStart[] = "show-uac-at-browser-start";
inline constexpr char kUseTaskScheduler2[] = "use-task-scheduler2";
inline constexpr char kVariationsUpdatePath[] = "variations-update-path";
inline constexpr char kAbtUpdatePath[] = "abt-update-path";
inline constexpr char kWebntpPath[] = "webntp-path";
inline constexpr char kServerConfigBundlePath[] = "server-config-bundle-path";
inline constexpr char kPreloadedWallpaperBundlePath[] = "preloaded-wallpaper-bundle-path";
inline constexpr char kHistogramDownloadTime[] = "histogram-download-time";

}  // namespace switches
}  // namespace lite

#endif  // LITE_PROCESS_SWITCHES_H_
