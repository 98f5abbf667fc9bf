// Import and export rates of the mail conversion for a typical HTML mail of
// about 30 KB with one attachment, one figure per line as "name: value unit".
// Usage: mail_bench [--seconds S]
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/mail/MailExport.h"
#include "host/mail/MailImport.h"
#include "host/store/Attachments.h"
#include "host/store/Item.h"
#include "host/store/Items.h"
#include "host/store/MAPIFolder.h"
#include "host/store/NameSpace.h"
#include "host/store/Recipients.h"
#include "runtime/Error.h"

using namespace zanvoro;
using namespace zanvoro::host;
using Clock = std::chrono::steady_clock;

namespace {

// A reply of the kind a mail client writes: styled paragraphs, a signature
// and quoted history, about 12 KB of HTML, with a 6 KB document attached.
void FillTypicalMail(Item& item) {
  item.SetSubject("RE: [HD-4711] Drucker im 3. Stock druckt leere Seiten");
  item.Recipients().Append(
      {RecipientType::To, "Maria K\xC3\xB6ller", "maria.keller@kunde.example", true});
  item.Recipients().Append(
      {RecipientType::CC, "Tom Baker", "tom@helpdesk.example", true});
  std::string html =
      "<html><head><style>p.MsoNormal{margin:0cm;font-family:Calibri}</style></head>"
      "<body><div class=\"WordSection1\">";
  int n = 0;
  while (html.size() < 12000) {
    html += "<p class=\"MsoNormal\">Paragraph " + std::to_string(++n) +
            ": der Drucker wurde gepr\xC3\xBC"
            "ft, der Toner ersetzt und die "
            "Walzen gereinigt. Bitte versuchen Sie es erneut.<o:p></o:p></p>\r\n";
    if (n % 10 == 0)
      html += "<blockquote><p>Quoted line &amp; more &lt;text&gt;</p></blockquote>\r\n";
  }
  html += "</div></body></html>";
  item.SetHTMLBody(html);
  item.SetBodyFormat(static_cast<int32_t>(BodyFormat::HTML));
  std::string document(6 * 1024, '\0');
  for (size_t i = 0; i < document.size(); ++i) document[i] = static_cast<char>(i * 31);
  item.Attachments().AddBytes(
      "Pr\xC3\xBC"
      "fbericht.pdf",
      document, "application/pdf");
}

template <class F>
double PerSecond(double seconds, F&& once) {
  int count = 0;
  auto start = Clock::now();
  auto end = start + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) {
    once();
    ++count;
  }
  return count / std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 2;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--seconds") == 0) seconds = std::atof(argv[i + 1]);
  std::string dir =
      (std::filesystem::temp_directory_path() / "zanvoro-mail-XXXXXX").string();
  if (!mkdtemp(dir.data())) {
    std::perror("mkdtemp");
    return 1;
  }
  try {
    NameSpace ns(UserInfo{"Ann Smith", "ann@example.com"}, nullptr,
                 {{dir + "/bench.db", "Mailbox - Ann Smith", StoreKind::Mailbox}});
    auto items = ns.GetDefaultFolder(DefaultFolder::Inbox)->Items();
    auto source = items->Add("IPM.Note");
    FillTypicalMail(*source);
    ExportOptions options;
    options.user = ns.CurrentUser();
    const std::string mail = ExportMessage(*source, options).rfc5322;
    std::printf("mail size: %zu bytes\n", mail.size());
    double exports = PerSecond(seconds, [&] { ExportMessage(*source, options); });
    double imports = PerSecond(seconds, [&] {
      auto item = items->Add("IPM.Note");
      ImportMessage(mail, *item, Now());
    });
    std::printf("import: %.0f msg/s\n", imports);
    std::printf("export: %.0f msg/s\n", exports);
  } catch (const Error& e) {
    std::fprintf(stderr, "mail_bench: %s\n", e.Description().c_str());
    std::filesystem::remove_all(dir);
    return 1;
  }
  std::filesystem::remove_all(dir);
  return 0;
}
