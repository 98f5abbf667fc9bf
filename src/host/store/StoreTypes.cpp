#include "host/store/StoreTypes.h"

namespace zanvoro::host {

const char* DefaultMessageClass(ItemType type) {
  switch (type) {
    case ItemType::Mail:
      return "IPM.Note";
    case ItemType::Appointment:
      return "IPM.Appointment";
    case ItemType::Contact:
      return "IPM.Contact";
    case ItemType::Task:
      return "IPM.Task";
    case ItemType::Journal:
      return "IPM.Activity";
    case ItemType::Note:
      return "IPM.StickyNote";
    case ItemType::Post:
      return "IPM.Post";
  }
  return "IPM.Note";
}

}  // namespace zanvoro::host
