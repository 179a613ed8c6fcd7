'''logind as python-dbusmock's own template plays it, and besides: when each inhibitor lock was
closed, on time.monotonic() (CLOCK_MONOTONIC, the clock the virtual SMC's time follows).'''

import os
import time

import dbus
from gi.repository import GLib

from dbusmock import MOCK_IFACE, mockobject
from dbusmock.templates.logind import *  # noqa: F401,F403 pylint: disable=wildcard-import
from dbusmock.templates.logind import MAIN_IFACE

CLOSED_AT = []


@dbus.service.method(MAIN_IFACE, in_signature='ssss', out_signature='h')
def Inhibit(_, what, who, why, mode):
    if not hasattr(mockobject, 'inhibitors'):
        mockobject.inhibitors = []
    fd_r, fd_w = os.pipe()
    inhibitor = (what, who, why, mode, 1000, 123456)
    mockobject.inhibitors.append(inhibitor)

    def inhibitor_dropped(fd, _cond):
        CLOSED_AT.append(time.monotonic())
        os.close(fd)
        mockobject.inhibitors.remove(inhibitor)
        return False

    GLib.unix_fd_add_full(GLib.PRIORITY_HIGH, fd_r, GLib.IO_HUP, inhibitor_dropped)
    GLib.idle_add(os.close, fd_w)
    return fd_w


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='ad')
def InhibitorsClosedAt(_):
    return dbus.Array(CLOSED_AT, signature='d')
