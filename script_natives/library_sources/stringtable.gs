// The localisable texts of an asset, with up to ten parameters put in.

include "gs.gs"

class StringTable isclass GSObject {
  public native string GetLanguage();
  public native void ClearParams();
  public native void SetParam(int a, string b);
  public native string GetString(string a);
};
