#include "toolkit/controls/Application.h"

#include <algorithm>
#include <stdexcept>

namespace toolkit {

Application& Application::Instance() {
  static Application app;
  return app;
}

void Application::Adopt(std::unique_ptr<Form> form) {
  Form& ref = *form;
  owned_.push_back(std::move(form));
  if (std::find(forms_.begin(), forms_.end(), &ref) == forms_.end()) forms_.push_back(&ref);
  Tell([&](ApplicationObserver& o) { o.FormAdded(ref); });
}

void Application::RunCreate(Form& form) {
  try {
    form.DoCreate();
  } catch (...) {
    DestroyForm(form);
    throw;
  }
}

void Application::Activate(Form& form) {
  if (activeForm_ == &form) return;
  Form* previous = activeForm_;
  activeForm_ = &form;
  Tell([&](ApplicationObserver& o) { o.ActiveFormChanged(&form); });
  if (previous) previous->DoDeactivate();
  form.DoActivate();
}

void Application::SetCursor(int cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  Tell([&](ApplicationObserver& o) { o.CursorChanged(cursor); });
}

void Application::Release(Form& form) {
  form.SetVisible(false);
  if (std::find(released_.begin(), released_.end(), &form) == released_.end()) released_.push_back(&form);
}

void Application::ProcessReleased() {
  while (!released_.empty()) {
    Form* form = released_.back();
    released_.pop_back();
    DestroyForm(*form);
  }
}

void Application::DestroyForm(Form& form) {
  auto it = std::find_if(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == &form; });
  if (it == owned_.end()) throw std::logic_error("DestroyForm: form '" + form.Name() + "' is not owned by the application");
  std::unique_ptr<Form> doomed = std::move(*it);
  owned_.erase(it);
  doomed.reset();  // ~Form calls FormDestroyed
}

void Application::FormDestroyed(Form& form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), &form), forms_.end());
  released_.erase(std::remove(released_.begin(), released_.end(), &form), released_.end());
  if (mainForm_ == &form) mainForm_ = nullptr;
  if (activeForm_ == &form) {
    activeForm_ = nullptr;
    Tell([&](ApplicationObserver& o) { o.ActiveFormChanged(nullptr); });
  }
  Tell([&](ApplicationObserver& o) { o.FormRemoved(form); });
}

void Application::SuspendRepaint() { ++repaintLock_; }

void Application::ResumeRepaint() {
  if (repaintLock_ == 0) return;
  if (--repaintLock_ == 0) {
    ++repaintResumes_;
    Tell([](ApplicationObserver& o) { o.RepaintResumed(); });
  }
}

DialogService& Application::Dialogs() const {
  if (!dialogs_) throw std::logic_error("No dialog service has been set on the application");
  return *dialogs_;
}

void Application::AddObserver(ApplicationObserver* observer) {
  if (std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) observers_.push_back(observer);
}

void Application::RemoveObserver(ApplicationObserver* observer) {
  observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void Application::Reset() {
  observers_.clear();
  while (!owned_.empty()) DestroyForm(*owned_.back());
  forms_.clear();
  released_.clear();
  mainForm_ = activeForm_ = nullptr;
  dialogs_ = nullptr;
  cursor_ = crDefault;
  repaintLock_ = 0;
  repaintResumes_ = 0;
}

}  // namespace toolkit
