// An installed asset as scripts see it.

include "gs.gs"
include "kuid.gs"
include "soup.gs"
include "kuidlist.gs"
include "stringtable.gs"
include "image.gs"

class Asset isclass GSObject {
  public native KUID GetKUID();
  public native string GetLocalisedName();
  public native string GetLocalisedDescription();
  public native string GetCreatorName();
  public native KUID LookupKUIDTable(string a);
  public native Asset FindAsset(string a);
  public native StringTable GetStringTable();
  public native Soup GetConfigSoup();
  public native KUIDList GetDependencyList();
  public native bool SupportsKodrinBuildVersion(float a);
  public native Image LoadImage(string a);
  public native bool IsLocallyModified();
  public native string GetInfoURL();
  public native bool GetIsFavorite();
  public native void SetIsFavorite(bool a);
  public native Asset GetParent();
  public native string GetCategoryEra();
  public native string GetCategoryRegion();
};
