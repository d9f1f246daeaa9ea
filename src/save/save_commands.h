// The two ways of writing a WAV file from the open temporary file.
#pragma once

// "Save as ...": a new file with the header and a copy of the data, made on a worker
// thread under the Saving dialog; the temporary file is left as it was.
void SaveAsCommand();
// "Save in place and rename": the header written into the temporary file's reserved
// region, an oversize file cut, and the file renamed.
void SaveInPlaceCommand();
