#include "shell/styles/Register.h"

#include "shell/controls/Register.h"
#include "shell/controls/StyledControl.h"
#include "shell/core/PlatformServices.h"
#include "shell/styles/Glyph.h"
#include "shell/styles/Image.h"
#include "shell/styles/Layout.h"
#include "shell/styles/Rectangle.h"
#include "shell/styles/StyleBook.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleDescription.h"
#include "shell/styles/StyleLookup.h"
#include "shell/styles/StyleManager.h"
#include "shell/styles/StyleObject.h"
#include "shell/styles/StyleStreaming.h"
#include "shell/styles/StyleTag.h"
#include "shell/styles/StyleTextObject.h"

void RegisterStyleClasses() {
  RegisterControlClasses();
  for (const TMetaClass* C :
       {&TRectangle::StaticClass(), &TLayout::StaticClass(), &TStyleObject::StaticClass(),
        &TButtonStyleObject::StaticClass(), &TActiveStyleObject::StaticClass(), &TText::StaticClass(), &TButtonStyleTextObject::StaticClass(),
        &TStyleTag::StaticClass(), &TGlyph::StaticClass(), &TImage::StaticClass(),
        &TStyleDescription::StaticClass(), &TStyleContainer::StaticClass(), &TStyleBook::StaticClass()})
    RegisterClass(*C);
}

void InitializeStyles() {
  static bool Done = false;
  if (Done) return;
  Done = true;
  RegisterStyleClasses();
  TStyleStreaming::SetDefaultContainerClass(TStyleContainer::StaticClass());
  for (const char* Name : {"win7style", "win8style", "win10style"})
    TStyleManager::RegisterPlatformStyleResource(TOSPlatform::Windows, Name);
  TStyleManager::RegisterPlatformStyleSelection(TOSPlatform::Windows, [] {
    const TOSVersion V = TOSVersion::Current();
    return WindowsStyleSelection(V.Major, V.Minor);
  });
  TStyleManager::RegisterPlatformStyleResource(TOSPlatform::Linux, "win10style");
  InstallStyleLookup();
  // The platform layer names the platform of a control; until it registers its own service,
  // the running system's answers.
  if (!TPlatformServices::Current().Find<IDeviceBehavior>()) {
    static TSystemDeviceBehavior Behavior;
    TPlatformServices::Current().AddPlatformService(IDeviceBehavior::ServiceName(),
                                                    static_cast<IDeviceBehavior*>(&Behavior));
  }
}
