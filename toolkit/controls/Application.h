#pragma once
// The one application object: the forms, the active (MDI) window, the main
// form, the screen cursor, the suspension of repainting and the dialog
// service. The host configures it; screens and tests reach it through
// Instance().

#include <memory>
#include <utility>
#include <vector>

#include "toolkit/controls/Form.h"

namespace toolkit {

class DialogService;

enum TCursor : int { crDefault = 0, crHourGlass = -11 };

class ApplicationObserver {
 public:
  virtual ~ApplicationObserver() = default;
  virtual void FormAdded(Form& /*form*/) {}
  virtual void FormRemoved(Form& /*form*/) {}
  virtual void ActiveFormChanged(Form* /*form*/) {}
  virtual void CursorChanged(int /*cursor*/) {}
  // Repainting was suspended and now resumes: repaint everything once.
  virtual void RepaintResumed() {}
};

class Application {
 public:
  static Application& Instance();

  // Creates a form owned by the application and runs its DoCreate
  // (OnCreate). When that throws, the form is destroyed and the exception
  // propagates.
  template <class T, class... Args>
  T& CreateForm(Args&&... args) {
    auto form = std::make_unique<T>(std::forward<Args>(args)...);
    T& ref = *form;
    Adopt(std::move(form));
    RunCreate(ref);
    return ref;
  }
  // Takes ownership of a form built elsewhere.
  void Adopt(std::unique_ptr<Form> form);
  // Live forms, in creation order (owned or not).
  const std::vector<Form*>& Forms() const { return forms_; }

  Form* MainForm() const { return mainForm_; }
  void SetMainForm(Form* form) { mainForm_ = form; }

  // The active window. Activating another form fires its OnActivate (and
  // the previous one's OnDeactivate); the focus inside each form stays as
  // it was, with no exit or enter events.
  Form* ActiveForm() const { return activeForm_; }
  void Activate(Form& form);

  int Cursor() const { return cursor_; }
  void SetCursor(int cursor);

  // Disposes of the form once the current input has been handled (the form
  // may be running one of its own handlers); hides it at once.
  void Release(Form& form);
  // Destroys the released forms. Called by the input layer after each
  // action and by the host's loop.
  void ProcessReleased();
  // Destroys a form at once.
  void DestroyForm(Form& form);

  // Counted; when the count returns to 0 observers repaint once.
  void SuspendRepaint();
  void ResumeRepaint();
  bool RepaintSuspended() const { return repaintLock_ > 0; }
  int RepaintResumeCount() const { return repaintResumes_; }

  // Throws std::logic_error when none has been set.
  DialogService& Dialogs() const;
  void SetDialogs(DialogService* dialogs) { dialogs_ = dialogs; }

  void AddObserver(ApplicationObserver* observer);
  void RemoveObserver(ApplicationObserver* observer);

  // Destroys every form and forgets all settings; for tests and host exit.
  void Reset();

  // Called by ~Form.
  void FormDestroyed(Form& form);

 private:
  Application() = default;
  // Forms outliving main (exit() from a lost display) go while the lists
  // they report to are still there.
  ~Application() { Reset(); }
  void RunCreate(Form& form);
  template <class F>
  void Tell(F&& f) {
    for (std::size_t i = 0; i < observers_.size(); ++i) f(*observers_[i]);
  }

  std::vector<std::unique_ptr<Form>> owned_;
  std::vector<Form*> forms_;
  std::vector<Form*> released_;
  std::vector<ApplicationObserver*> observers_;
  Form* mainForm_ = nullptr;
  Form* activeForm_ = nullptr;
  DialogService* dialogs_ = nullptr;
  int cursor_ = crDefault;
  int repaintLock_ = 0;
  int repaintResumes_ = 0;
};

}  // namespace toolkit
