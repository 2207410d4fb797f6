#pragma once

#include <QString>

// The one table that turns a system error into what the user reads. An operation's message
// keeps its own caption and first sentence and adds this text as the cause.
namespace SystemErrors {

// The Japanese text for an errno value, or for RegularFile's own reasons (kNotRegular ...); any
// other value is "未知のエラー（NAME）" with the errno's symbolic name.
QString text(int error);

} // namespace SystemErrors
