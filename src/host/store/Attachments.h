// The attachments of an item, with their bytes. Owned by the item; an
// Attachment pointer stays valid until it is removed or the item goes.
// Changes are kept in memory until the item is saved.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "host/store/StoreBackend.h"

namespace zanvoro::host {

class Attachment {
 public:
  Attachment(std::string file_name, std::string data);

  const std::string& FileName() const { return file_name_; }
  void SetFileName(std::string_view v) { file_name_ = v; }
  // Defaults to the file name.
  const std::string& DisplayName() const { return display_name_; }
  void SetDisplayName(std::string_view v) { display_name_ = v; }
  const std::string& ContentId() const { return content_id_; }
  void SetContentId(std::string_view v) { content_id_ = v; }
  const std::string& MimeType() const { return mime_type_; }
  void SetMimeType(std::string_view v) { mime_type_ = v; }
  const std::string& Bytes() const { return data_; }
  int64_t Size() const { return static_cast<int64_t>(data_.size()); }
  // Writes the bytes to `path`. Raises Error(err::kPathNotFound) or
  // Error(err::kPermissionDenied) when the file cannot be written.
  void SaveAsFile(const std::string& path) const;

  using Row = AttachmentRow;
  Row ToRow() const;
  static std::unique_ptr<Attachment> FromRow(Row row);

 private:
  std::string file_name_;
  std::string display_name_;
  std::string content_id_;
  std::string mime_type_;
  std::string data_;
};

class Attachments {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  // 1-based; raises Error(err::kSubscriptOutOfRange) outside 1..Count().
  Attachment* Item(int32_t index);
  // Attaches a file, read now. A missing file raises Error(err::kFileNotFound).
  // The display name defaults to the file's name.
  Attachment* Add(const std::string& path, std::string_view display_name = {});
  // Attaches bytes under a file name.
  Attachment* AddBytes(std::string_view file_name, std::string data,
                       std::string_view mime_type = {});
  void Remove(int32_t index);

  // For Item.
  bool Dirty() const;
  void Mark();
  std::vector<Attachment::Row> Rows() const;
  void Load(std::vector<Attachment::Row> rows);
  int64_t TotalSize() const;

 private:
  std::vector<std::unique_ptr<Attachment>> items_;
  std::vector<Attachment::Row> stored_;
};

}  // namespace zanvoro::host
