cmake_minimum_required(VERSION 3.25)
# Writes the sample URL list of the demo pages from data/weblist.txt.in: @DEMO_DIR@ becomes the
# folder that holds pages/, and lines end in CR LF like every file the presenter reads.
#   cmake -DTEMPLATE=<weblist.txt.in> -DDEMO_DIR=<folder> -DOUTPUT=<weblist.txt> -P MakeUrlList.cmake
# The list is code page 932 and the template ASCII, so the folder must be ASCII too for the bytes
# written here to mean the same in code page 932.
if(NOT DEMO_DIR MATCHES "^[ -~]+$")
    message(FATAL_ERROR "The demo pages' folder must be an ASCII path for the URL list: ${DEMO_DIR}")
endif()
file(READ "${TEMPLATE}" text)
string(REPLACE "@DEMO_DIR@" "${DEMO_DIR}" text "${text}")
string(REPLACE "\r\n" "\n" text "${text}")
string(REPLACE "\n" "\r\n" text "${text}")
file(WRITE "${OUTPUT}" "${text}")
