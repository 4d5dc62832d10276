#include "app/event_guard.h"

#include <QString>
#include <new>

#include "diagnosis/wording.h"
#include "forms/forms.h"
#include "forms/input_form.h"
#include "forms/result_form.h"

namespace bio {

void Guarded(Forms& forms, const char* action, const std::function<void()>& procedure) {
  const bool nurel_shown = forms.NurelExists() && forms.Nurel().isVisible();
  const bool sindan_shown = forms.SindanExists() && forms.Sindan().isVisible();
  EventFailure failure = EventFailure::kUnexpected;
  try {
    procedure();
    return;
  } catch (const std::bad_alloc&) {
    failure = EventFailure::kOutOfMemory;
  } catch (...) {
  }
  // A window the event showed goes away again; one it hid comes back.
  if (forms.SindanExists()) forms.Sindan().setVisible(sindan_shown);
  if (forms.NurelExists()) forms.Nurel().setVisible(nurel_shown);
  forms.Message(EventFailureText(action, failure));
}

}  // namespace bio
