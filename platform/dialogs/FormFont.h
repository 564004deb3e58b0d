// The font that the windows' controls are sized for. Their layouts come in twips from a system
// whose windows use the proportional Japanese Gothic "ＭＳ Ｐゴシック"; Qt's default font here
// is wider and taller, and clips captions such as "パスワード" in an 810-twip label.
#pragma once

#include <QFont>

namespace dialogs {

// "ＭＳ Ｐゴシック", which resolves to IPAPGothic (Debian fonts-ipafont-gothic), 11 pixels
// high: its line is 12 pixels, the height of the smallest labels (180 twips), and every caption
// fits its control. Give it to each form; the controls inherit it.
QFont FormFont();

}  // namespace dialogs
