// The help window's rich-text converter on any text (read as Latin-1, as
// the help text's bytes are), into a fresh document each time.
#include <QGuiApplication>
#include <QString>
#include <QTextDocument>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "richtext.h"

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QGuiApplication application(*argc, *argv);  // fonts and colours need one
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const QString rtf = QString::fromLatin1(reinterpret_cast<const char *>(data), qsizetype(size));
  QTextDocument document;
  RenderRichText(rtf, &document);
  if (document.characterCount() < 1) std::abort();  // a document always holds its final paragraph mark
  return 0;
}
