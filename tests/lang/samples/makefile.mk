# Builds the tool
CC ?= gcc
CFLAGS := -O2 -Wall
SOURCES = $(wildcard src/*.c)
OBJECTS = $(patsubst src/%.c,build/%.o,$(SOURCES))

.PHONY: all clean install

all: build/tool

build/tool: $(OBJECTS)
	$(CC) $(CFLAGS) -o $@ $^

build/%.o: src/%.c | build
	$(CC) $(CFLAGS) -c -o $@ $<

build:
	mkdir -p $@

ifeq ($(PREFIX),)
PREFIX = /usr/local
else
override PREFIX := $(abspath $(PREFIX))
endif

ifdef DEBUG
CFLAGS += -g
endif

install: all
	install -m 755 build/tool $(PREFIX)/bin

clean:
	rm -rf build

include $(wildcard build/*.d)
export CC
