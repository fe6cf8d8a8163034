#pragma once
#include <functional>
#include <string>
#include <vector>

#include "shell/core/Export.h"
#include "shell/core/DeviceBehavior.h"
#include "shell/core/Messaging.h"

class TComponent;
class TStyleContainer;
class TTreeObject;

/// Sent by UpdateScenes (sender none) before the scenes let go of their styles, and after.
class KELVANE_API TBeforeStyleChangingMessage : public TMessageBase {};
/// Sent (sender none) after the scenes have let go of their styles, for the new style.
class KELVANE_API TStyleChangedMessage : public TMessageBase {};

/// Every styled control in Tree lets go of its style, to take it anew at the next paint.
KELVANE_API void ReleaseStyles(TTreeObject& Tree);

/// Gives the name of the platform style resource to use.
using TStyleSelectionProc = std::function<std::string()>;

/// The Windows rule: 10 and later "win10style"; 8 and 8.1 (6.2, 6.3, and any 7 to 9)
/// "win8style"; Vista and 7 (6.0, 6.1) and earlier "win7style".
std::string WindowsStyleSelection(int Major, int Minor);

/// TStyleManager: which style the controls of a form take. Start-up registers, per platform,
/// the style resources and a selection procedure; the active style of a form is the one set
/// with SetStyle, else the platform's, loaded from its resource once and cached by name.
class KELVANE_API TStyleManager {
 public:
  static void RegisterPlatformStyleResource(TOSPlatform Platform, const std::string& ResourceName);
  static void RegisterPlatformStyleSelection(TOSPlatform Platform, TStyleSelectionProc Proc);
  /// The resource names registered for Platform, in registration order.
  static std::vector<std::string> PlatformStyleResources(TOSPlatform Platform);

  /// The name of the platform style for Context: its platform's selection procedure, else the
  /// first resource registered for the platform. Raises EUnsupportedPlatformService "Required
  /// IDeviceBehavior is not registered", EStyleException "No platform styles found" (nothing
  /// registered) or "No platform style found for the current platform".
  static std::string PlatformStyleName(TComponent* Context);
  /// The style in use for Context: the one set with SetStyle, else the platform style (none
  /// when its resource does not exist). Raises what PlatformStyleName raises.
  static TStyleContainer* ActiveStyle(TComponent* Context);
  /// The style loaded from the raw-data resource ResourceName (found without regard to case),
  /// cached by name for the program's lifetime; none when there is no such resource.
  static TStyleContainer* GetStyleResource(const std::string& ResourceName);

  /// Makes Style (the manager takes it) the active style of every form; none goes back to the
  /// platform style.
  static void SetStyle(TStyleContainer* Style);
  /// Tells that the style changed: TBeforeStyleChangingMessage, then the styled controls of the
  /// registered scenes let go of their styles (forms do so on the message), then
  /// TStyleChangedMessage. The controls take the new styles at the next paint.
  static void UpdateScenes();
  static void AddScene(TTreeObject* Root);
  static void RemoveScene(TTreeObject* Root);

  /// The global pool of style resources: trees searched after the active style for a control
  /// with an explicit StyleLookup.
  static void AddStyleResource(TTreeObject* Resource);
  static void RemoveStyleResource(TTreeObject* Resource);
  static const std::vector<TTreeObject*>& StyleResources();

  /// Forgets registrations, the set style and the cached styles (tests start clean with it).
  static void UnInitialize();
};
