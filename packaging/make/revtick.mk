# revtick's build-number step for GNU make. Name the counter and the header,
# include this file, and make the objects wait for the header:
#
#   REVTICK_COUNTER := build_number
#   REVTICK_HEADER := generated/version.h
#   include /usr/share/revtick/revtick.mk
#   $(OBJECTS): | $(REVTICK_HEADER)
#
# Every make then runs revtick-step before anything is compiled: it raises
# the counter (or takes the CI's number from REVTICK_BUILD_NUMBER) and
# writes the header only when its text changed, so make compiles again
# exactly the files whose dependency files (-MMD) name it. Including this
# file anywhere leaves make's default goal as it was.
#
#   REVTICK_STEP           revtick-step: the one installed with this file,
#                          else the one on PATH
#   REVTICK_FLAGS          -v, -n, -t, as revtick-step takes them
#   REVTICK_RAISE          0 reads the counter and never raises it
#   REVTICK_NUMBER_FROM    the variable that holds the CI's number, in place
#                          of REVTICK_BUILD_NUMBER
#   REVTICK_NUMBER_OFFSET  a number added to the CI's
#
# Relative names are relative to the folder make runs in: the one -C names.
revtick_goal := $(.DEFAULT_GOAL)
revtick_here := $(dir $(lastword $(MAKEFILE_LIST)))

ifndef REVTICK_COUNTER
$(error REVTICK_COUNTER is not set: name the counter before the include of revtick.mk)
endif
REVTICK_HEADER ?= generated/version.h
REVTICK_STEP ?= $(or $(wildcard $(revtick_here)../../bin/revtick-step),revtick-step)
REVTICK_RAISE ?= 1

revtick_options := $(if $(filter 0 no off OFF false,$(REVTICK_RAISE)),-c) $(REVTICK_FLAGS) \
  $(if $(REVTICK_NUMBER_FROM),-e $(REVTICK_NUMBER_FROM)) \
  $(if $(REVTICK_NUMBER_OFFSET),-o $(REVTICK_NUMBER_OFFSET))

$(REVTICK_HEADER): revtick.always
	@mkdir -p "$(@D)"
	@"$(REVTICK_STEP)" $(revtick_options) "$(REVTICK_COUNTER)" "$@"

revtick.always:
.PHONY: revtick.always
.DEFAULT_GOAL := $(revtick_goal)
