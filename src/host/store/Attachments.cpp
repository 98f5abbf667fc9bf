#include "host/store/Attachments.h"

#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/Error.h"

namespace zanvoro::host {

Attachment::Attachment(std::string file_name, std::string data)
    : file_name_(std::move(file_name)),
      display_name_(file_name_),
      data_(std::move(data)) {}

void Attachment::SaveAsFile(const std::string& path) const {
  std::filesystem::path target(path);
  std::error_code ec;
  if (target.has_parent_path() &&
      !std::filesystem::is_directory(target.parent_path(), ec))
    throw Error(err::kPathNotFound, "Path not found: " + path, "Attachment");
  std::ofstream out(target, std::ios::binary | std::ios::trunc);
  if (out) out.write(data_.data(), static_cast<std::streamsize>(data_.size()));
  if (!out)
    throw Error(err::kPermissionDenied, "Cannot write the file " + path, "Attachment");
}

Attachment::Row Attachment::ToRow() const {
  return Row{file_name_, display_name_, content_id_, mime_type_, data_};
}

std::unique_ptr<Attachment> Attachment::FromRow(Row row) {
  auto a = std::make_unique<Attachment>(std::move(row.file_name), std::move(row.data));
  a->display_name_ = std::move(row.display_name);
  a->content_id_ = std::move(row.content_id);
  a->mime_type_ = std::move(row.mime_type);
  return a;
}

Attachment* Attachments::Item(int32_t index) {
  if (index < 1 || index > Count())
    throw Error(err::kSubscriptOutOfRange, "Array index out of bounds.", "Attachments");
  return items_[static_cast<size_t>(index - 1)].get();
}

Attachment* Attachments::Add(const std::string& path, std::string_view display_name) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Error(err::kFileNotFound, "File not found: " + path, "Attachments");
  std::string data((std::istreambuf_iterator<char>(in)),
                   std::istreambuf_iterator<char>());
  Attachment* a =
      AddBytes(std::filesystem::path(path).filename().string(), std::move(data));
  if (!display_name.empty()) a->SetDisplayName(display_name);
  return a;
}

Attachment* Attachments::AddBytes(std::string_view file_name, std::string data,
                                  std::string_view mime_type) {
  items_.push_back(std::make_unique<Attachment>(std::string(file_name), std::move(data)));
  items_.back()->SetMimeType(mime_type);
  return items_.back().get();
}

void Attachments::Remove(int32_t index) {
  Item(index);
  items_.erase(items_.begin() + (index - 1));
}

std::vector<Attachment::Row> Attachments::Rows() const {
  std::vector<Attachment::Row> rows;
  rows.reserve(items_.size());
  for (const auto& a : items_) rows.push_back(a->ToRow());
  return rows;
}

bool Attachments::Dirty() const {
  if (items_.size() != stored_.size()) return true;
  for (size_t i = 0; i < items_.size(); ++i) {
    if (!(items_[i]->ToRow() == stored_[i])) return true;
  }
  return false;
}

void Attachments::Mark() { stored_ = Rows(); }

void Attachments::Load(std::vector<Attachment::Row> rows) {
  items_.clear();
  for (const auto& row : rows) items_.push_back(Attachment::FromRow(row));
  stored_ = std::move(rows);
}

int64_t Attachments::TotalSize() const {
  int64_t total = 0;
  for (const auto& a : items_) total += a->Size();
  return total;
}

}  // namespace zanvoro::host
