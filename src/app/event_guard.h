#pragma once

#include <functional>

namespace bio {

class Forms;

// Runs one event procedure to its end, whatever it throws. Qt's event loop
// must never see an exception (it would end the program), so a failure is
// told in a Japanese message box naming `action` (the button's caption or
// what was under way), the windows are put back as they were shown before
// the event, and the program goes on.
void Guarded(Forms& forms, const char* action, const std::function<void()>& procedure);

}  // namespace bio
