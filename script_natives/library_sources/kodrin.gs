// The script context's own services, and the game objects of the world.

include "gs.gs"
include "kuid.gs"
include "soup.gs"
include "asset.gs"
include "library.gs"

static class KodrinScriptBase {
  public native float GetSeconds();
  public native Library GetLibrary(KUID a);
  public native Asset FindAsset(KUID a);
  public native Asset[] GetAssetList(string a);
  public native Asset[] GetAssetList(string a, string b);
  public native KUID[] SearchAssets(string a, bool b);
  public native Asset[] FindUpdatedAssets();
  public native Soup KodrinSystemCall(string a, Soup b);
  public native bool OpenURL(string a);
  public native void Log(string a);
};

class Trackside isclass KodrinGameObject {
};

class Vehicle isclass Trackside {
};

class Signal isclass Trackside {
};
