#include "shell/styles/StyleManager.h"

#include <algorithm>
#include <map>
#include <memory>

#include "shell/controls/StyleCache.h"
#include "shell/controls/StyledControl.h"
#include "shell/core/PlatformServices.h"
#include "shell/stream/Resources.h"
#include "shell/styles/StyleContainer.h"
#include "shell/styles/StyleStreaming.h"

namespace {
struct TRegistry {
  std::map<TOSPlatform, std::vector<std::string>> Resources;
  std::map<TOSPlatform, TStyleSelectionProc> Selections;
  // Loaded styles by upper-cased resource name; kept for the program's lifetime.
  std::map<std::string, TStyleContainer*> Cache;
  TStyleContainer* Style = nullptr;
  std::vector<TTreeObject*> Scenes;
  std::vector<TTreeObject*> Pool;
};

TRegistry& Registry() {
  // Never destroyed: the cached styles live as long as the program, also through the
  // destruction of other statics at exit.
  static TRegistry* R = new TRegistry;
  return *R;
}

}  // namespace

void ReleaseStyles(TTreeObject& Tree) {
  for (TTreeObject* Child : std::vector<TTreeObject*>(Tree.ChildList())) {
    if (auto* C = dynamic_cast<TStyledControl*>(Child)) {
      if (C->IsStyleResource()) continue;
      C->NeedStyleLookup();
    }
    ReleaseStyles(*Child);
  }
}

std::string WindowsStyleSelection(int Major, int Minor) {
  if (Major >= 10) return "win10style";
  if (Major > 6 || (Major == 6 && Minor >= 2)) return "win8style";
  return "win7style";
}

void TStyleManager::RegisterPlatformStyleResource(TOSPlatform Platform, const std::string& ResourceName) {
  Registry().Resources[Platform].push_back(ResourceName);
}

void TStyleManager::RegisterPlatformStyleSelection(TOSPlatform Platform, TStyleSelectionProc Proc) {
  Registry().Selections[Platform] = std::move(Proc);
}

std::vector<std::string> TStyleManager::PlatformStyleResources(TOSPlatform Platform) {
  auto It = Registry().Resources.find(Platform);
  return It == Registry().Resources.end() ? std::vector<std::string>() : It->second;
}

std::string TStyleManager::PlatformStyleName(TComponent* Context) {
  auto* Behavior = TPlatformServices::Current().Find<IDeviceBehavior>();
  if (!Behavior) throw EUnsupportedPlatformService("Required IDeviceBehavior is not registered");
  const TOSPlatform Platform = Behavior->GetOSPlatform(Context);
  TRegistry& R = Registry();
  auto Selection = R.Selections.find(Platform);
  if (Selection != R.Selections.end() && Selection->second) return Selection->second();
  bool Any = false;
  for (auto& [P, Names] : R.Resources) Any = Any || !Names.empty();
  if (!Any) throw EStyleException("No platform styles found");
  auto Names = R.Resources.find(Platform);
  if (Names == R.Resources.end() || Names->second.empty())
    throw EStyleException("No platform style found for the current platform");
  return Names->second.front();
}

TStyleContainer* TStyleManager::ActiveStyle(TComponent* Context) {
  if (Registry().Style) return Registry().Style;
  return GetStyleResource(PlatformStyleName(Context));
}

TStyleContainer* TStyleManager::GetStyleResource(const std::string& ResourceName) {
  TRegistry& R = Registry();
  const std::string Key = UpperCase(ResourceName);
  auto It = R.Cache.find(Key);
  if (It != R.Cache.end()) return It->second;
  if (!FindResource(ResourceName, RT_RCDATA)) return nullptr;
  TStyleContainer* Style = TStyleStreaming::LoadFromResource(0, ResourceName, RT_RCDATA);
  R.Cache[Key] = Style;
  return Style;
}

void TStyleManager::SetStyle(TStyleContainer* Style) {
  TRegistry& R = Registry();
  if (R.Style == Style) return;
  TStyleContainer* Old = R.Style;
  R.Style = Style;
  UpdateScenes();
  // Freed only after the controls have let go of their copies.
  if (Old) Old->Free();
}

void TStyleManager::UpdateScenes() {
  TMessageManager::DefaultManager().SendMessage(nullptr, TBeforeStyleChangingMessage());
  for (TTreeObject* Scene : std::vector<TTreeObject*>(Registry().Scenes)) ReleaseStyles(*Scene);
  // The copies let go of belong to the old style.
  TStyleCache::Current().Clear();
  TMessageManager::DefaultManager().SendMessage(nullptr, TStyleChangedMessage());
}

void TStyleManager::AddScene(TTreeObject* Root) {
  auto& S = Registry().Scenes;
  if (Root && std::find(S.begin(), S.end(), Root) == S.end()) S.push_back(Root);
}

void TStyleManager::RemoveScene(TTreeObject* Root) {
  auto& S = Registry().Scenes;
  S.erase(std::remove(S.begin(), S.end(), Root), S.end());
}

void TStyleManager::AddStyleResource(TTreeObject* Resource) {
  auto& P = Registry().Pool;
  if (Resource && std::find(P.begin(), P.end(), Resource) == P.end()) P.push_back(Resource);
  // A kept copy may have been found in the pool as it was.
  TStyleCache::Current().Clear();
}

void TStyleManager::RemoveStyleResource(TTreeObject* Resource) {
  auto& P = Registry().Pool;
  P.erase(std::remove(P.begin(), P.end(), Resource), P.end());
  TStyleCache::Current().Clear();
}

const std::vector<TTreeObject*>& TStyleManager::StyleResources() { return Registry().Pool; }

void TStyleManager::UnInitialize() {
  TRegistry& R = Registry();
  SetStyle(nullptr);
  TStyleCache::Current().Clear();
  for (auto& [Name, Style] : R.Cache) Style->Free();
  R.Cache.clear();
  R.Resources.clear();
  R.Selections.clear();
  R.Scenes.clear();
  R.Pool.clear();
}
