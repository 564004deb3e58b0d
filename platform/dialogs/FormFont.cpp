#include "platform/dialogs/FormFont.h"

#include <QString>
#include <QStringList>

namespace dialogs {

QFont FormFont() {
  const QString name = QString::fromStdU16String(u"ＭＳ Ｐゴシック");
  // Substitutions are process-wide; adding it once keeps this idempotent.
  if (!QFont::substitutes(name).contains(QStringLiteral("IPAPGothic"))) {
    QFont::insertSubstitution(name, QStringLiteral("IPAPGothic"));
  }
  QFont font(name);
  font.setPixelSize(11);
  return font;
}

}  // namespace dialogs
