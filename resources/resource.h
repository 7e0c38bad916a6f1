#pragma once
// Resource ids that are not string ids (those are the numbers of the string tables).
