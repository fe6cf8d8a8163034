#include "shell/controls/InputDispatcher.h"

#include "shell/core/ScopeExit.h"
#include <algorithm>
#include <exception>

namespace {

bool InSubtree(TControl* Top, TControl* C) { return C && (C == Top || Top->IsChild(C)); }

TControl* HitIn(TControl* C, const TPointF& P) {
  if (!C->Visible()) return nullptr;
  const auto& Children = C->ChildList();
  for (auto It = Children.rbegin(); It != Children.rend(); ++It)
    if (auto* Child = dynamic_cast<TControl*>(*It))
      if (TControl* Hit = HitIn(Child, P)) return Hit;
  if (!C->HitTest()) return nullptr;
  TPointF L = C->AbsoluteToLocal(P);
  return C->PointInObjectLocal(L.X, L.Y) ? C : nullptr;
}

std::vector<TControl*> ControlsInTabOrder(const std::vector<TTreeObject*>& Children) {
  std::vector<TControl*> List;
  for (TTreeObject* Child : Children)
    if (auto* C = dynamic_cast<TControl*>(Child)) List.push_back(C);
  std::stable_sort(List.begin(), List.end(), [](TControl* A, TControl* B) {
    auto Key = [](TControl* C) { return C->TabOrder() < 0 ? INT32_MAX : C->TabOrder(); };
    return Key(A) < Key(B);
  });
  return List;
}

// Offers a dialog key to C and, in child order, to its visible and enabled descendants,
// leaving out Skip and what lies inside it; stops once the key is consumed.
template <typename F>
void OfferKey(TControl* C, TControl* Skip, uint16_t& Key, const F& Offer) {
  if (Key == 0 || C == Skip || !C->Visible() || !C->Enabled()) return;
  Offer(C);
  for (TTreeObject* Child : std::vector<TTreeObject*>(C->ChildList()))
    if (auto* Sub = dynamic_cast<TControl*>(Child)) OfferKey(Sub, Skip, Key, Offer);
}

void CollectTabList(const std::vector<TTreeObject*>& Children, std::vector<TControl*>& Out) {
  for (TControl* C : ControlsInTabOrder(Children)) {
    if (!C->Visible() || !C->Enabled()) continue;
    if (C->CanFocus() && C->TabStop()) Out.push_back(C);
    CollectTabList(C->ChildList(), Out);
  }
  // Objects that are not controls (a viewport's 3D objects) may hold controls further down: a
  // layer's, as long as it shows them.
  for (TTreeObject* Child : Children) {
    if (dynamic_cast<TControl*>(Child)) continue;
    auto* Holder = dynamic_cast<IRoot*>(Child);
    if (!Holder || Holder->ControlsTakeInput()) CollectTabList(Child->ChildList(), Out);
  }
}

}  // namespace

void TInputDispatcher::SetFocused(TControl* Value) {
  if (Value == FFocused) return;
  TControl* Old = FFocused;
  FFocused = Value;
  if (Old) Old->DoExit();
  if (Value && FFocused == Value) Value->DoEnter();
}

void TInputDispatcher::SetCaptured(TControl* Value) {
  // A second press on the holder keeps the capture with the first press's button.
  if (Value == FCaptured) return;
  TControl* Old = FCaptured;
  FCaptured = Value;
  FCaptureButton = Value ? FPressButton : std::nullopt;
  if (Old && Value) Old->DoCaptureLost();
}

bool TInputDispatcher::ReleaseEndsCapture(TMouseButton Button, TShiftState Shift) const {
  if (!OtherButtonHeld(Shift, Button)) return true;
  return FCaptureButton && *FCaptureButton == Button;
}

void TInputDispatcher::EndCapture() {
  TControl* Holder = FCaptured;
  FCaptured = nullptr;
  FCaptureButton.reset();
  if (Holder) Holder->DoCaptureLost();
}

void TInputDispatcher::SetHovered(TControl* Value) {
  if (Value == FHovered) return;
  TControl* Old = FHovered;
  FHovered = Value;
  if (Old) Old->DoMouseLeave();
  if (Value && FHovered == Value) Value->DoMouseEnter();
}

void TInputDispatcher::ControlRemoved(TControl* Control) {
  if (InSubtree(Control, FFocused)) FFocused = nullptr;
  if (InSubtree(Control, FCaptured)) {
    TControl* Holder = FCaptured;
    FCaptured = nullptr;
    FCaptureButton.reset();
    // A control taken out of the form ends what its capture held (a slider's paging); one being
    // freed stops on its own.
    if (!Holder->IsDestroying()) Holder->DoCaptureLost();
  }
  if (InSubtree(Control, FHovered)) FHovered = nullptr;
  if (InSubtree(Control, FTarget)) FTarget = nullptr;
}

std::vector<TControl*> TInputDispatcher::TopControls() const {
  std::vector<TControl*> List;
  for (TTreeObject* Child : FRoot->ChildList())
    if (auto* C = dynamic_cast<TControl*>(Child)) List.push_back(C);
  return List;
}

TControl* TInputDispatcher::ObjectAtPoint(const TPointF& P) const {
  std::vector<TControl*> Top = TopControls();
  for (auto It = Top.rbegin(); It != Top.rend(); ++It)
    if (TControl* Hit = HitIn(*It, P)) return Hit;
  return nullptr;
}

void TInputDispatcher::MouseDown(TMouseButton Button, TShiftState Shift, float X, float Y) {
  FMousePos = TPointF(X, Y);
  // With no other button held, a capture still there belongs to a press whose release never
  // came (it went to another window): that press is over.
  if (FCaptured && !OtherButtonHeld(Shift, Button)) EndCapture();
  TControl* C = ObjectAtPoint(FMousePos);
  // A disabled control is found, so the press does not reach what lies behind it, but it is
  // inert: no press, capture, focus or click.
  if (!C || !C->AbsoluteEnabled()) return;
  TPointF L = C->AbsoluteToLocal(FMousePos);
  FPressButton = Button;
  TScopeExit EndPress([this] { FPressButton.reset(); });
  C->MouseDown(Button, Shift, L.X, L.Y);
}

void TInputDispatcher::MouseMove(TShiftState Shift, float X, float Y) {
  FMousePos = TPointF(X, Y);
  TControl* C = FCaptured;
  if (!C) {
    C = ObjectAtPoint(FMousePos);
    if (C && !C->AbsoluteEnabled()) C = nullptr;
    SetHovered(C);
    // An enter or leave handler may have taken the control away.
    if (C && FHovered != C) return;
  }
  if (!C || !C->AbsoluteEnabled()) return;
  TPointF L = C->AbsoluteToLocal(FMousePos);
  C->MouseMove(Shift, L.X, L.Y);
}

void TInputDispatcher::MouseUp(TMouseButton Button, TShiftState Shift, float X, float Y, bool DoClick) {
  FMousePos = TPointF(X, Y);
  const bool EndsCapture = ReleaseEndsCapture(Button, Shift);
  FTarget = FCaptured ? FCaptured : ObjectAtPoint(FMousePos);
  // A captured control disabled while the button was down still hears of the release (and
  // lets go of its pressed state); MouseClick clicks only an enabled one.
  if (FTarget && FTarget != FCaptured && !FTarget->AbsoluteEnabled()) FTarget = nullptr;
  // Whatever a handler raises, the release still ends the press and the capture; the first
  // exception then goes on to the application (a later one is dropped: one error box a message).
  std::exception_ptr Raised;
  auto Keep = [&Raised] {
    if (!Raised) Raised = std::current_exception();
  };
  if (FTarget) {
    TPointF L = FTarget->AbsoluteToLocal(FMousePos);
    if (DoClick) {
      try {
        FTarget->MouseClick(Button, Shift, L.X, L.Y);
      } catch (...) {
        Keep();
      }
    }
    // A click handler may have removed the control.
    if (FTarget) {
      try {
        FTarget->MouseUp(Button, Shift, L.X, L.Y);
      } catch (...) {
        Keep();
      }
    }
  }
  FTarget = nullptr;
  if (EndsCapture) {
    try {
      EndCapture();
    } catch (...) {
      Keep();
    }
  }
  if (Raised) std::rethrow_exception(Raised);
}

void TInputDispatcher::MouseWheel(TShiftState Shift, int WheelDelta, bool& Handled) {
  Handled = false;
  if (FCaptured) {
    if (FCaptured->AbsoluteEnabled()) FCaptured->MouseWheel(Shift, WheelDelta, Handled);
    return;
  }
  if (OnFormMouseWheel) OnFormMouseWheel(Shift, WheelDelta, Handled);
  for (TControl* C = Handled ? nullptr : ObjectAtPoint(FMousePos); C && !Handled; C = C->ParentControl())
    if (C->AbsoluteEnabled()) C->MouseWheel(Shift, WheelDelta, Handled);
}

void TInputDispatcher::OfferDialogKey(uint16_t& Key, TShiftState Shift, bool After) {
  auto Offer = [&Key, Shift, After](TControl* C) {
    if (After)
      C->AfterDialogKey(Key, Shift);
    else
      C->DialogKey(Key, Shift);
  };
  // The focused control and what it holds have had the key first (DialogKey) or are left out
  // (AfterDialogKey): the others are offered it.
  for (TControl* C : TopControls()) OfferKey(C, FFocused, Key, Offer);
}

void TInputDispatcher::KeyDown(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
  bool Dialog = KeyChar < 32 || Shift.Contains(ssAlt) || Shift.Contains(ssCtrl);
  if (Dialog) {
    const bool HadKey = Key != 0;
    if (FFocused) OfferKey(FFocused, nullptr, Key, [&Key, Shift](TControl* C) { C->DialogKey(Key, Shift); });
    OfferDialogKey(Key, Shift, false);
    // A key consumed as a dialog key (an accelerator) is consumed with its character.
    if (HadKey && Key == 0) KeyChar = 0;
    if (Key == vkTab) {
      SelectNext(!Shift.Contains(ssShift));
      Key = 0;
      KeyChar = 0;
    }
  }
  if (Key == 0 && KeyChar == 0) return;
  if (FFocused) FFocused->KeyDown(Key, KeyChar, Shift);
  if ((Key != 0 || KeyChar != 0) && OnFormKeyDown) OnFormKeyDown(Key, KeyChar, Shift);
  if (Dialog && Key != 0) OfferDialogKey(Key, Shift, true);
}

void TInputDispatcher::KeyUp(uint16_t& Key, char32_t& KeyChar, TShiftState Shift) {
  if (FFocused) FFocused->KeyUp(Key, KeyChar, Shift);
  if ((Key != 0 || KeyChar != 0) && OnFormKeyUp) OnFormKeyUp(Key, KeyChar, Shift);
}

std::vector<TControl*> TInputDispatcher::TabList() const {
  std::vector<TControl*> List;
  CollectTabList(FRoot->ChildList(), List);
  return List;
}

void TInputDispatcher::SelectNext(bool Forward) {
  std::vector<TControl*> List = TabList();
  if (List.empty()) return;
  auto It = std::find(List.begin(), List.end(), FFocused);
  size_t Index;
  if (It == List.end())
    Index = Forward ? 0 : List.size() - 1;
  else {
    size_t Current = static_cast<size_t>(It - List.begin());
    Index = Forward ? (Current + 1) % List.size() : (Current + List.size() - 1) % List.size();
  }
  List[Index]->SetFocus();
}
