#include "platform/authorization.h"

namespace updater {

std::ostream& operator<<(std::ostream& out, AuthorizationStatus status) {
  switch (status) {
    case AuthorizationStatus::kGranted:
      return out << "AuthorizationStatus::Granted (0)";
    case AuthorizationStatus::kCancelled:
      return out << "AuthorizationStatus::Cancelled (1)";
    case AuthorizationStatus::kRefused:
      return out << "AuthorizationStatus::Refused (2)";
  }
  return out << "AuthorizationStatus(" << static_cast<int>(status) << ")";
}

}  // namespace updater
