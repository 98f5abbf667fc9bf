// The advice window for a known failure that a knowledge-base article
// explains: a heading, the advice text, the report, the article's page in
// wwwKB (the page's HTML, for the renderer to show), cmdOpenKB (opens the
// article in the desktop's browser) and cmdExit (only closes the window;
// the add-in keeps running).
#pragma once

#include <string>

#include "host/ui/Form.h"

namespace zanvoro {

class frmErrorKBDialog : public host::Form {
 public:
  frmErrorKBDialog();

  void SetArticle(std::string article) { article_ = std::move(article); }
  const std::string& Article() const { return article_; }

 private:
  std::string article_;
};

}  // namespace zanvoro
