// The list editor: one window for the reference lists a manager keeps (the
// problem types, technicians, callers, assets and origins; the SLAs and the
// predefined answers open in it too, under their own window names). The
// entries are listed in lstEntries, one column per field; picking one fills
// the text boxes "txt<field>" (the fields of the list's CSV form, see
// ListTransfer.h; "Origin" for the origins). Add appends the typed entry,
// Update replaces the picked one, Delete removes it, each checked at once
// with the list's own rules (a key that is empty or taken, a number or
// yes/no field that does not read): a refused change shows the list's
// message and leaves the entries as they were. Save writes the whole list
// through the global settings; Close leaves without saving. With an insert
// route (OnInsert), Insert hands the picked entry's fields to it.
//
// Every handler follows the failure convention ("ManagerList.<control>").
// UI thread only.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/ui/Form.h"

namespace zanvoro {

class cGlobalSettings;

enum class ManagedList {
  ProblemTypes,
  Technicians,
  Callers,
  Assets,
  Origins,
  SLAs,
  FAQs
};

class frmManagerList : public host::Form {
 public:
  using Row = std::vector<std::string>;

  frmManagerList(cGlobalSettings& settings, ManagedList list,
                 std::string form_name = "frmManagerList");

  ManagedList List() const { return list_; }
  const std::vector<std::string>& Fields() const { return fields_; }
  // The entries as the window holds them now.
  const std::vector<Row>& Rows() const { return rows_; }
  // Adds the Insert button, which calls `insert` with the picked entry.
  void OnInsert(std::function<void(const Row&)> insert);

 private:
  void ReadList();
  Row TypedRow() const;
  int Picked() const;
  // Takes `rows` when the list's rules accept them; else shows why.
  bool Accept(std::vector<Row> rows);
  // The problems of `rows` by the list's rules; "" when there are none.
  std::string Problems(const std::vector<Row>& rows) const;
  bool SaveList();
  void FillEntries();
  void ShowPicked();

  cGlobalSettings& settings_;
  ManagedList list_;
  std::vector<std::string> fields_;
  std::vector<Row> rows_;
  std::function<void(const Row&)> insert_;
};

}  // namespace zanvoro
