// The online service: status, stored data and messages, groups.

include "gs.gs"
include "soup.gs"
include "onlinegroup.gs"

class OnlineAccess isclass GameObject {
  public native void Connect();
  public native int GetStatus();
  public native void Disconnect();
  public native string GetUsername();
  public native int GetLocalData(string a, Soup b);
  public native int SetLocalData(string a, Soup b);
  public native int GetProfileData(string a, Soup b);
  public native int SetProfileData(string a, Soup b);
  public native int PostMessage(string a, Soup b);
  public native int CollectMessage(string a, Soup b);
  public native OnlineGroup CreateGroup(int a);
  public native OnlineGroup OpenGroup(string a, int b);
  public native int PostOfflineMessage(Soup a);
  public native int CollectOfflineMessage(Soup a);
};
