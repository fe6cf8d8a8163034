// No float property of the framework takes a NaN. The stream refuses non-finite values; code
// and scripts reach the setters directly, and there a NaN is ignored as a value equal to the
// current one (or refused with the property's own error): it never becomes the value.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "game/Register.h"
#include "scene3d/Camera.h"
#include "scene3d/Control3D.h"
#include "scene3d/Viewport3D.h"
#include "shell/controls/Control.h"
#include "shell/controls/TrackBar.h"
#include "shell/core/ClassRegistry.h"
#include "shell/core/Collection.h"
#include "shell/core/Exceptions.h"
#include "shell/core/MetaClass.h"
#include "shell/forms/Form.h"
#include "shell/platform/headless/HeadlessPlatform.h"

namespace {

constexpr long double NaN = std::numeric_limits<long double>::quiet_NaN();

// Writes NaN to every writable float property of Instance and of the persistent objects and
// collection items it holds; notes each property by its path, and each that does not keep
// its value as a fault.
class TNaNSweep {
 public:
  std::set<std::string> Swept;
  std::vector<std::string> Faults;

  void Run(TObject* Instance, const std::string& Path) {
    if (!FSeen.insert(Instance).second) return;
    for (const TPropInfo* P : Instance->ClassType().AllProperties()) {
      const std::string Name = Path + "." + P->Name;
      if (P->Kind() == TTypeKind::Float && P->SetFloat) {
        Swept.insert(Name);
        const long double Before = P->GetFloat(Instance);
        try {
          P->SetFloat(Instance, NaN);
        } catch (const Exception&) {
          // Refused with the property's error: the value must still be the old one.
        }
        const long double After = P->GetFloat(Instance);
        if (std::isnan(After) || After != Before) {
          std::ostringstream S;
          S << Name << ": " << static_cast<double>(Before) << " became " << static_cast<double>(After);
          Faults.push_back(S.str());
        }
      } else if (P->Kind() == TTypeKind::Class && P->GetObj) {
        TObject* Held = P->GetObj(Instance);
        // Components are swept as themselves; what a property owns is swept through it.
        if (!Held || dynamic_cast<TComponent*>(Held)) continue;
        Run(Held, Name);
        if (auto* Items = dynamic_cast<TCollection*>(Held))
          for (int I = 0; I < Items->Count(); ++I) Run(Items->Items(I), Name + "[" + std::to_string(I) + "]");
      }
    }
  }

 private:
  std::set<TObject*> FSeen;
};

class FloatPropertiesTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    InstallHeadlessPlatform();
    RegisterGameClasses();
  }
  void SetUp() override {
    Form = NewForm<TForm>(nullptr, TCreateNew{});
    Viewport = new TViewport3D(Form);
    Viewport->SetParent(Form);
  }
  void TearDown() override { Form->Free(); }

  TForm* Form = nullptr;
  TViewport3D* Viewport = nullptr;
};

// Every class a stored form can create, placed where a stored form would put it: 2D controls on
// the form, 3D objects in a view.
TEST_F(FloatPropertiesTest, ANaNWrittenToAnyFloatPropertyLeavesItsValue) {
  TNaNSweep Sweep;
  Sweep.Run(Form, "TForm");
  for (const TMetaClass* Class : RegisteredClasses()) {
    if (!Class->CanCreate() || Class->InheritsFrom(TCommonCustomForm::StaticClass())) continue;
    TComponent* Instance = Class->Create(Form);
    if (dynamic_cast<TControl3D*>(Instance))
      static_cast<TTreeObject*>(Instance)->SetParent(Viewport);
    else if (auto* Tree = dynamic_cast<TTreeObject*>(Instance))
      Tree->SetParent(Form);
    Sweep.Run(Instance, Class->Name());
  }
  std::string Faults;
  for (const std::string& F : Sweep.Faults) Faults += "\n  " + F;
  EXPECT_TRUE(Sweep.Faults.empty()) << Faults;
  // The sweep reached the properties in which a NaN was seen first, and those held by others.
  for (const char* Name : {"TTrackBar.Value", "TTrackBar.Min", "TCamera.AngleOfView", "TCylinder.Opacity",
                           "TButton.Opacity", "TLayer3D.Width", "TButton.Position.X", "TButton.Margins.Left",
                           "TLayer3D.Fill.Gradient.Points[0].Offset"})
    EXPECT_TRUE(Sweep.Swept.count(Name)) << Name;
}

// What a NaN would have broken beyond the property: the slider's events and thumb, a view's
// projection.
TEST_F(FloatPropertiesTest, ANaNLeavesTheSliderAndTheProjectionAsTheyWere) {
  auto* Track = new TTrackBar(Form);
  Track->SetParent(Form);
  Track->SetMin(-180);
  Track->SetMax(180);
  Track->SetValue(30);
  int Changes = 0;
  struct TCounter : TObject {
    int* Count;
    void Changed(TObject*) { ++*Count; }
  } Counter;
  Counter.Count = &Changes;
  Track->OnChange = TNotifyEvent(&Counter, &TCounter::Changed);
  Track->SetValue(std::nanf(""));
  EXPECT_EQ(Track->Value(), 30);
  Track->SetValue(31);
  Track->SetValue(31);
  EXPECT_EQ(Changes, 1);

  auto* Camera = new TCamera(Form);
  Camera->SetParent(Viewport);
  Camera->SetAngleOfView(60);
  Camera->SetAngleOfView(std::nanf(""));
  EXPECT_EQ(Camera->AngleOfView(), 60);
}

}  // namespace
