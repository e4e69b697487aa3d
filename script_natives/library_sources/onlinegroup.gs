// A group of online users that exchange messages.

include "gs.gs"
include "soup.gs"

class OnlineGroup isclass GameObject {
  public native void Connect();
  public native int GetStatus();
  public native void Disconnect();
  public native string GetOnlineGroupCookie();
  public native void AddUser(string a);
  public native void RemoveUser(string a);
  public native int CountUsers();
  public native string GetIndexedUser(int a);
  public native int FindUser(string a);
  public native int GetUserStatus(int a);
  public native int PostMessage(Soup a);
  public native int CollectMessage(string a, Soup b);
  public native void SetModeFlags(int a, int b);
  public native void SetUserModeFlags(string a, int b, int c);
};
