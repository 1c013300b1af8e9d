#pragma once
// What the menu says when one of its components cannot be made or fails:
// what could not be done, why (the component and the file looked for, as the
// registry says them), and that the menu goes on. In Japanese: the runtime's
// English texts go to the log only.
#include <QString>

#include <exception>

namespace nv {

inline constexpr const char* kMenuGoesOn = "メニューのほかの項目はそのまま使えます。";

// "<what>\n<why>\n<the menu goes on>".
QString DescribeComponentFailure(const QString& what, const std::exception& e);

} // namespace nv
