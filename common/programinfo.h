#pragma once

#include <QString>

namespace qh {

inline const QString kPresenterTitle = QStringLiteral("Quillharbour_Master");
inline const QString kToolTitle = QStringLiteral("Quillharbour_Master_Tool");

inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 1;
inline constexpr int kVersionRevision = 0;

} // namespace qh
