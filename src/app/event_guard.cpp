#include "app/event_guard.h"

#include <QString>
#include <new>

#include "forms/forms.h"
#include "forms/input_form.h"
#include "forms/result_form.h"

namespace bio {

void Guarded(Forms& forms, const char* action, const std::function<void()>& procedure) {
  const bool nurel_shown = forms.NurelExists() && forms.Nurel().isVisible();
  const bool sindan_shown = forms.SindanExists() && forms.Sindan().isVisible();
  QString reason;
  try {
    procedure();
    return;
  } catch (const std::bad_alloc&) {
    reason = QString::fromUtf8("メモリが足りなくなりました。");
  } catch (...) {
    reason = QString::fromUtf8("思いがけない問題が起きました。");
  }
  // A window the event showed goes away again; one it hid comes back.
  if (forms.SindanExists()) forms.Sindan().setVisible(sindan_shown);
  if (forms.NurelExists()) forms.Nurel().setVisible(nurel_shown);
  forms.Message(QString::fromUtf8("「%1」の途中で").arg(QString::fromUtf8(action)) + reason +
                QString::fromUtf8("\nプログラムはこのまま続けます。"));
}

}  // namespace bio
