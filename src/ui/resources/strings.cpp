#include "core/resource_ids.h"
#include "ui/resources/resources.h"

const STRING_DATA StringResources[] = {
    {IDS_CLOSE_CURRENT, "Do you want to close the current file?"},
    {IDS_FILE_SMALL, "File is small."},
    {IDS_CONFIRM_IN_PLACE, "Source file will be changed and renamed. Are you sure?"},
    {IDS_CREATED, "File %s is successfully created."},
    {IDS_QUIT, "Do you want to quit?"},
    {IDS_OTHER_DISK,
     "%s is on another disk: the file was not changed. Rename it on its own disk or use Save as."},
    {IDS_CAPTION, "Salvorin"},
    {IDS_OPEN_FILTER, "Quorbel temporary files (*.tmp)|*.tmp|All files (*.*)|*.*|"},
    {IDS_SAVE_FILTER, "Windows waveform (*.wav)|*.wav|All files (*.*)|*.*|"},
    {IDS_SAVE_FILTER_WHOLE, "Windows waveform (*.wav)|*.wav|RF64 waveform, whole recording "
                            "(*.wav)|*.wav|All files (*.*)|*.*|"},
    {IDS_CREATED_WHOLE,
     "File %s is successfully created. Nothing was cut: all %s bytes of the recording are kept "
     "(RF64)."},
    {IDS_CONFIRM_IN_PLACE_CUT,
     "Source file will be changed, cut to 4 294 967 292 bytes and renamed. Save as keeps the "
     "whole recording (RF64 waveform). Are you sure?"},
    {IDS_PATH_TOO_LONG,
     "The path is too long: at most 259 bytes.\nChoose a shorter name or folder."},
    {IDS_SAME_NAME, "You cannot save this file with the same name."},
    {IDS_SUGGESTED, "Suggested from the data: %s"},
    {IDS_SUGGESTED_8BIT, "8 bit"},
    {IDS_SUGGESTED_16BIT, "16 bit"},
    {IDS_SUGGESTED_MONO, "mono"},
    {IDS_SUGGESTED_STEREO, "stereo"},
    {IDS_SUGGESTED_IDENTICAL, "channels identical (stereo, or mono at twice the rate)"},
    {IDS_SUGGESTED_RATE, "%u samples per second"},
};
const int StringResourceCount = sizeof StringResources / sizeof StringResources[0];
