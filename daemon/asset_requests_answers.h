// The answers of AssetRequests, one function per request, grouped in files by theme:
// asset_requests_info.cpp (queries about assets), asset_requests_edit.cpp (opening,
// committing, reverting, deleting, creating), asset_requests_settings.cpp (settings, user
// names, URL fetches, and the requests answered with a fixed reply).
#pragma once

#include "daemon/asset_requests.h"

using AssetAnswer = void (*)(AssetRequests& assets, AssetCall& call);

void AnswerQueryAssets(AssetRequests& assets, AssetCall& call);     // 2
void AnswerAssetConfig(AssetRequests& assets, AssetCall& call);     // 20
void AnswerAssetInfo(AssetRequests& assets, AssetCall& call);       // 21
void AnswerLocateAsset(AssetRequests& assets, AssetCall& call);     // 23
void AnswerResolveKUID(AssetRequests& assets, AssetCall& call);     // 26
void AnswerResolveLatest(AssetRequests& assets, AssetCall& call);   // 27
void AnswerDescription(AssetRequests& assets, AssetCall& call);     // 28
void AnswerLocateAssetFile(AssetRequests& assets, AssetCall& call); // 29
void AnswerDependencyList(AssetRequests& assets, AssetCall& call);  // 42
void AnswerDependencies(AssetRequests& assets, AssetCall& call);    // 43
void AnswerSetFavorite(AssetRequests& assets, AssetCall& call);     // 50
void AnswerSetKeywords(AssetRequests& assets, AssetCall& call);     // 54
void AnswerGenerateKUID(AssetRequests& assets, AssetCall& call);    // 58
void AnswerGetLocalData(AssetRequests& assets, AssetCall& call);    // 121
void AnswerSetLocalData(AssetRequests& assets, AssetCall& call);    // 122

void AnswerOpenAsset(AssetRequests& assets, AssetCall& call);     // 30
void AnswerCloseHandle(AssetRequests& assets, AssetCall& call);   // 31
void AnswerFetchDetails(AssetRequests& assets, AssetCall& call);  // 32
void AnswerRevertAsset(AssetRequests& assets, AssetCall& call);   // 33
void AnswerCommitAsset(AssetRequests& assets, AssetCall& call);   // 34
void AnswerCreateAsset(AssetRequests& assets, AssetCall& call);   // 35
void AnswerDeleteAsset(AssetRequests& assets, AssetCall& call);   // 36
void AnswerValidateAsset(AssetRequests& assets, AssetCall& call); // 38

void AnswerUserName(AssetRequests& assets, AssetCall& call);        // 90
void AnswerReadSettings(AssetRequests& assets, AssetCall& call);    // 100
void AnswerWriteSettings(AssetRequests& assets, AssetCall& call);   // 101
void AnswerReadSetting(AssetRequests& assets, AssetCall& call);     // 102
void AnswerWriteSetting(AssetRequests& assets, AssetCall& call);    // 103
void AnswerStartUrlFetch(AssetRequests& assets, AssetCall& call);   // 230
void AnswerReleaseUrlFetch(AssetRequests& assets, AssetCall& call); // 231
void AnswerPollUrlFetch(AssetRequests& assets, AssetCall& call);    // 232
void AnswerBuildList(AssetRequests& assets, AssetCall& call);       // 253
void AnswerCudaDisabled(AssetRequests& assets, AssetCall& call);    // 181
void AnswerOnlineProfile(AssetRequests& assets, AssetCall& call);   // 240
void AnswerLoginCredential(AssetRequests& assets, AssetCall& call); // 242
void AnswerNothing(AssetRequests& assets, AssetCall& call);         // 41, 47, 241, 256

// Shared reply pieces.
void WriteKUIDList(TStream& out, const std::vector<KUID>& kuids);
// PString location ("local" or "editing"), String folder path.
void WriteAssetLocation(AssetRequests& assets, TStream& out, const AssetRecord& record,
                        bool editCopy);
