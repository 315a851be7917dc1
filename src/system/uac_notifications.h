#ifndef LITE_SYSTEM_UAC_NOTIFICATIONS_H_
#define LITE_SYSTEM_UAC_NOTIFICATIONS_H_

namespace lite {

// Whether administrators get an elevation prompt. An unreadable setting
// counts as "no prompt", as the system itself treats a missing value.
bool AreUACNotificationsEnabled();

}  // namespace lite

#endif  // LITE_SYSTEM_UAC_NOTIFICATIONS_H_
