#pragma once

#include <QString>

namespace qh {

using namespace Qt::StringLiterals;

inline const QString kPresenterTitle = u"Quillharbour_Master"_s;
inline const QString kToolTitle = u"Quillharbour_Master_Tool"_s;

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 0;

} // namespace qh
