#pragma once

#include <functional>

class Dialogs;
class QWidget;

// Runs one piece of event handling; an exception escaping it is shown in a failure box with
// its text (caption: the application title) and the program goes on. Returns the call's
// result, or false after an exception.
bool runReportingExceptions(const std::function<bool()> &call, Dialogs &dialogs, QWidget *parent);
