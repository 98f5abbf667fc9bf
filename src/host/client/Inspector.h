// The mail client's windows on single items. An Inspector shows one item;
// Inspectors is the client's collection of them. A displayed inspector is a
// modeless window named "Inspector" handed to the current renderer, with
// the item's message class, recipients, subject and body in the labels
// "lblMessageClass", "lblTo", "lblSubject" and "lblBody". UI thread only.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "host/store/StoreTypes.h"

namespace zanvoro::host {

class Form;
class Item;
class Inspectors;

class Inspector {
 public:
  // Made by Inspectors::Add.
  Inspector(Inspectors& owner, std::shared_ptr<Item> item);
  ~Inspector();
  Inspector(const Inspector&) = delete;
  Inspector& operator=(const Inspector&) = delete;

  std::shared_ptr<Item> CurrentItem() const { return item_; }
  // Puts the window on screen through the current renderer.
  void Display();
  bool Displayed() const;
  // Closes the window: Save saves the item first, Discard and PromptForSave
  // drop its unsaved changes (the item's own Close). The inspector leaves
  // Inspectors. Closing a closed inspector does nothing.
  void Close(SaveMode mode);
  bool Closed() const { return closed_; }

 private:
  Inspectors& owner_;
  std::shared_ptr<Item> item_;
  std::unique_ptr<Form> window_;
  bool closed_ = false;
};

class Inspectors {
 public:
  Inspectors();
  ~Inspectors();
  Inspectors(const Inspectors&) = delete;
  Inspectors& operator=(const Inspectors&) = delete;

  int32_t Count() const { return static_cast<int32_t>(open_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  std::shared_ptr<Inspector> Item(int32_t index) const;
  // A new inspector on `item`, not displayed yet. A null item raises
  // Error(err::kObjectRequired).
  std::shared_ptr<Inspector> Add(std::shared_ptr<host::Item> item);
  // The inspector opened last that is still open; nullptr when none.
  std::shared_ptr<Inspector> Active() const;
  // Closes every inspector, the last first, dropping unsaved changes.
  void CloseAll();

 private:
  friend class Inspector;
  void Closed(Inspector& inspector);

  std::vector<std::shared_ptr<Inspector>> open_;
};

}  // namespace zanvoro::host
