#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "case/HelpdeskFolders.h"
#include "case/ItemProperty.h"
#include "notify/DueDateEntries.h"
#include "notify/NotifyTestSupport.h"
#include "runtime/Date.h"

namespace zanvoro {
namespace {

class DueDateEntries : public testsupport::NotifyTest {
 protected:
  DueDateEntries() {
    c_.DueDate = MakeDate(DateParts{2026, 3, 5, 14, 30, 0});
    SetSetting("sdoMaintainDueDateSchedule", "1");
    SetSetting("sdoAddDueDateAppointmentToTechnicianCal", "1");
    SetSetting("sdoAddTaskToTechnicianTask", "1");
  }

  std::shared_ptr<host::MAPIFolder> Calendar(const std::string& technician) {
    return GetOrCreateSubFolder(GetScheduleFolder(), technician, CreateMode::FindOnly,
                                host::ItemType::Appointment);
  }
  std::shared_ptr<host::MAPIFolder> Tasks(const std::string& technician) {
    return GetOrCreateSubFolder(Calendar(technician), kTechnicianTaskFolderName,
                                CreateMode::FindOnly, host::ItemType::Task);
  }
  // The entries of case `number` in `folder`.
  static std::vector<std::shared_ptr<host::Item>> Entries(
      const std::shared_ptr<host::MAPIFolder>& folder, const std::string& number) {
    std::vector<std::shared_ptr<host::Item>> found;
    if (!folder) return found;
    auto items = folder->Items();
    for (int32_t i = 1; i <= items->Count(); ++i) {
      auto item = items->Item(i);
      if (ReadItemText(*item, kDueDateCaseNumberProperty) == number)
        found.push_back(item);
    }
    return found;
  }
};

TEST_F(DueDateEntries, ScheduleAndEachTechnicianGetOneEntryAtTheLatestDueDate) {
  AddDueDateEntries(c_);

  auto entries = Entries(GetScheduleFolder(), "12");
  ASSERT_EQ(entries.size(), 1u);
  host::Item& appointment = *entries[0];
  EXPECT_EQ(appointment.MessageClass(), "IPM.Appointment");
  EXPECT_EQ(appointment.Subject(), "[12] Printer jams");
  EXPECT_EQ(appointment.Start(), c_.DueDate);
  EXPECT_EQ(appointment.End(), MakeDate(DateParts{2026, 3, 5, 15, 0, 0}));
  EXPECT_TRUE(appointment.ReminderSet());
  EXPECT_EQ(appointment.ReminderMinutesBeforeStart(), kDueDateReminderMinutes);
  EXPECT_EQ(appointment.Body(), c_.ToTaskAppointmentBody());
  for (const char* technician : {"Bob Jones", "Cara Diaz"}) {
    EXPECT_EQ(Entries(Calendar(technician), "12").size(), 1u) << technician;
    auto tasks = Entries(Tasks(technician), "12");
    ASSERT_EQ(tasks.size(), 1u) << technician;
    EXPECT_EQ(tasks[0]->MessageClass(), "IPM.Task");
    EXPECT_EQ(tasks[0]->DueDate(), c_.DueDate);
    EXPECT_EQ(tasks[0]->Subject(), "[12] Printer jams");
  }

  // Adding again replaces the earlier entries.
  c_.DueDate = MakeDate(DateParts{2026, 3, 9, 9, 0, 0});
  AddDueDateEntries(c_);
  entries = Entries(GetScheduleFolder(), "12");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0]->Start(), c_.DueDate);
  EXPECT_EQ(Entries(Tasks("Bob Jones"), "12").size(), 1u);
}

TEST_F(DueDateEntries, RemovingTakesOnlyTheEntriesOfThatCase) {
  AddDueDateEntries(c_);
  cCase other;
  other.CaseNumber = "13";
  other.Subject = "Screen flickers";
  other.DueDate = c_.DueDate;
  other.Technicians.LoadTechniciansToDicList("Bob Jones");
  AddDueDateEntries(other);

  RemoveDueDateAppointment("12");
  RemoveDueDateAppointmentFromTechnicianPersonalCalendar("12", "Bob Jones/Cara Diaz");
  RemoveTaskFromTechnicianMailbox("12", "Bob Jones/Cara Diaz");

  EXPECT_TRUE(Entries(GetScheduleFolder(), "12").empty());
  for (const char* technician : {"Bob Jones", "Cara Diaz"}) {
    EXPECT_TRUE(Entries(Calendar(technician), "12").empty()) << technician;
    EXPECT_TRUE(Entries(Tasks(technician), "12").empty()) << technician;
  }
  EXPECT_EQ(Entries(GetScheduleFolder(), "13").size(), 1u);
  EXPECT_EQ(Entries(Calendar("Bob Jones"), "13").size(), 1u);
  EXPECT_EQ(Entries(Tasks("Bob Jones"), "13").size(), 1u);
}

TEST_F(DueDateEntries, NothingIsAddedWithoutADueDateOrWithTheSettingsOff) {
  cCase undated;
  undated.CaseNumber = "14";
  undated.Technicians.LoadTechniciansToDicList("Bob Jones");
  undated.DueDate = Date::NoDate();
  AddDueDateEntries(undated);
  EXPECT_TRUE(Entries(GetScheduleFolder(), "14").empty());

  for (const char* key :
       {"sdoMaintainDueDateSchedule", "sdoAddDueDateAppointmentToTechnicianCal",
        "sdoAddTaskToTechnicianTask"}) {
    SetSetting(key, "0");
  }
  AddDueDateEntries(c_);
  EXPECT_TRUE(Entries(GetScheduleFolder(), "12").empty());
  EXPECT_TRUE(Entries(Calendar("Bob Jones"), "12").empty());
}

}  // namespace
}  // namespace zanvoro
