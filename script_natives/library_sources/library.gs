// Script libraries: game objects with properties, made for an asset, that issue and
// check security tokens and may show a system-menu icon.

include "gs.gs"
include "kuid.gs"
include "soup.gs"
include "asset.gs"
include "securitytoken.gs"
include "onlineaccess.gs"

class Menu isclass GSObject {
};

class PropertyObject {
  public void SetProperties(Soup soup) { }
  public Soup GetProperties() { return null; }
};

class KodrinGameObject isclass GameObject, PropertyObject {
  public void Init(Asset asset) { }
};

class Library isclass KodrinGameObject {
  public native OnlineAccess GetOnlineAccess();
  public native string LibraryCallNative(string a, string[] b, GSObject[] c);
  public native SecurityToken IssueSecurityToken(KUID a, string[] b);
  public native SecurityToken IssueSecurityToken(SecurityToken a, KUID b, string[] c);
  public native SecurityToken MergeSecurityTokens(SecurityToken[] a);
  public native bool Validate(SecurityToken a, Library b, string c);
  public native bool Validate(SecurityToken a, KUID b, string c);
  public native void AddSystemMenuIcon(Asset a, string b, string c);
  public native void BlinkSystemMenuIcon(int a);
  public native void RemoveSystemMenuIcon();
  public native void ShowSystemMenuIconMenu(Menu a);
};
