#include "platform/user_interface.h"

namespace updater {

std::ostream& operator<<(std::ostream& out, AlertResponse response) {
  switch (response) {
    case AlertResponse::kDefault:
      return out << "AlertResponse::Default (1)";
    case AlertResponse::kAlternate:
      return out << "AlertResponse::Alternate (0)";
    case AlertResponse::kOther:
      return out << "AlertResponse::Other (-1)";
    case AlertResponse::kError:
      return out << "AlertResponse::Error (-2)";
  }
  return out << "AlertResponse(" << static_cast<int>(response) << ")";
}

}  // namespace updater
