<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<!-- English texts, id-based: the id is the key the code passes to qtTrId()/qsTrId(). Arguments are %1, %2, … in the order the caller passes them. -->
<context>
    <name></name>
    <message id="alerts.fan.notSpinning">
        <source>%1 is not spinning</source>
        <translation>%1 is not spinning</translation>
    </message>
    <message id="alerts.fan.notSpinning.body">
        <source>Its speed reads %1 rpm although it is asked to turn. Check that nothing blocks it.</source>
        <translation>Its speed reads %1 rpm although it is asked to turn. Check that nothing blocks it.</translation>
    </message>
    <message id="alerts.sensor.cpu">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="alerts.sensor.gpu">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="alerts.temperature.body">
        <source>Your alert threshold is %1.</source>
        <translation>Your alert threshold is %1.</translation>
    </message>
    <message id="alerts.temperature.hot">
        <source>%1 at %2</source>
        <translation>%1 at %2</translation>
    </message>
    <message id="app.window.mainTitle">
        <source>Brisvane</source>
        <translation>Brisvane</translation>
    </message>
    <message id="curves.builtInNote">
        <source>“%1” is a built-in preset and can’t be changed. Customize a copy to edit its curve.</source>
        <translation>“%1” is a built-in preset and can’t be changed. Customize a copy to edit its curve.</translation>
    </message>
    <message id="curves.caption.safety">
        <source>Whatever the curve says, fans never run slower than macOS would run them, nor below the safety floor for the current temperature.</source>
        <translation>Whatever the curve says, fans never run slower than macOS would run them, nor below the safety floor for the current temperature.</translation>
    </message>
    <message id="curves.chart.axisDegrees">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="curves.chart.axisPercent">
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message id="curves.chart.callout.automaticSpeed">
        <source>%1 °C · %2% · macOS decides</source>
        <translation>%1 °C · %2% · macOS decides</translation>
    </message>
    <message id="curves.chart.callout.estimatedRPM">
        <source>%1 °C · %2% · about %3 RPM</source>
        <translation>%1 °C · %2% · about %3 RPM</translation>
    </message>
    <message id="curves.chart.callout.temperatureAndPercent">
        <source>%1 °C · %2%</source>
        <translation>%1 °C · %2%</translation>
    </message>
    <message id="curves.chart.deletePoint">
        <source>Delete Point</source>
        <translation>Delete Point</translation>
    </message>
    <message id="curves.chart.editableHelp">
        <source>Drag a point to reshape the curve. Click an empty spot to add a point.</source>
        <translation>Drag a point to reshape the curve. Click an empty spot to add a point.</translation>
    </message>
    <message id="curves.chart.pointAccessibilityLabel">
        <source>Point %1</source>
        <translation>Point %1</translation>
    </message>
    <message id="curves.chart.pointAccessibilityValue">
        <source>%1 degrees, %2 percent</source>
        <translation>%1 degrees, %2 percent</translation>
    </message>
    <message id="curves.chart.readOnlyHelp">
        <source>Built-in curves can’t be edited.</source>
        <translation>Built-in curves can’t be edited.</translation>
    </message>
    <message id="curves.customizeButton">
        <source>Customize a Copy</source>
        <translation>Customize a Copy</translation>
    </message>
    <message id="curves.emptyState.createPreset">
        <source>Create Preset</source>
        <translation>Create Preset</translation>
    </message>
    <message id="curves.emptyState.description">
        <source>Create a preset to draw your own fan curve.</source>
        <translation>Create a preset to draw your own fan curve.</translation>
    </message>
    <message id="curves.emptyState.title">
        <source>No Presets</source>
        <translation>No Presets</translation>
    </message>
    <message id="curves.field.percent">
        <source>Fan speed (%)</source>
        <translation>Fan speed (%)</translation>
    </message>
    <message id="curves.field.temperature">
        <source>Temperature (°C)</source>
        <translation>Temperature (°C)</translation>
    </message>
    <message id="curves.hint.howToEdit">
        <source>Drag points to move them, click the chart to add one, and double-click a point to delete it.</source>
        <translation>Drag points to move them, click the chart to add one, and double-click a point to delete it.</translation>
    </message>
    <message id="curves.newPresetName.base">
        <source>My Curve</source>
        <translation>My Curve</translation>
    </message>
    <message id="curves.newPresetName.numbered">
        <source>My Curve %1</source>
        <translation>My Curve %1</translation>
    </message>
    <message id="curves.fanPicker.allFans">
        <source>All fans</source>
        <translation>All fans</translation>
    </message>
    <message id="curves.sourcePicker.appSetting">
        <source>App setting</source>
        <translation>App setting</translation>
    </message>
    <message id="curves.sourcePicker.cpu">
        <source>CPU average</source>
        <translation>CPU average</translation>
    </message>
    <message id="curves.sourcePicker.gpu">
        <source>GPU average</source>
        <translation>GPU average</translation>
    </message>
    <message id="curves.sourcePicker.hottestCore">
        <source>Hottest core</source>
        <translation>Hottest core</translation>
    </message>
    <message id="curves.fanPicker.title">
        <source>Fan</source>
        <translation>Fan</translation>
    </message>
    <message id="curves.fanPicker.unifyTitle">
        <source>Use one curve for all fans?</source>
        <translation>Use one curve for all fans?</translation>
    </message>
    <message id="curves.fanPicker.unifyMessage">
        <source>Every fan will follow the curve shown now. The other fans' own curves are replaced.</source>
        <translation>Every fan will follow the curve shown now. The other fans’ own curves are replaced.</translation>
    </message>
    <message id="curves.fanPicker.unifyConfirm">
        <source>Use for All Fans</source>
        <translation>Use for All Fans</translation>
    </message>
    <message id="curves.sourcePicker.title">
        <source>Follows</source>
        <translation>Follows</translation>
    </message>
    <message id="curves.selector.editing">
        <source>Editing</source>
        <translation>Editing</translation>
    </message>
    <message id="curves.toolbar.builtInSection">
        <source>Built-in</source>
        <translation>Built-in</translation>
    </message>
    <message id="curves.toolbar.newPreset">
        <source>New Preset</source>
        <translation>New Preset</translation>
    </message>
    <message id="curves.toolbar.presetPickerLabel">
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message id="curves.toolbar.yourPresetsSection">
        <source>Your Presets</source>
        <translation>Your Presets</translation>
    </message>
    <message id="dashboard.chart.axisDegrees">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="dashboard.chart.axisMinutesAgo">
        <source>%1 min ago</source>
        <translation>%1 min ago</translation>
    </message>
    <message id="dashboard.chart.axisSecondsAgo">
        <source>%1 s ago</source>
        <translation>%1 s ago</translation>
    </message>
    <message id="dashboard.chart.cpuMaxLegend">
        <source>CPU max</source>
        <translation>CPU max</translation>
    </message>
    <message id="dashboard.chart.fanSpeedSummary">
        <source>Fan speed history, %1: %2</source>
        <translation>Fan speed history, %1: %2</translation>
    </message>
    <message id="dashboard.chart.fanSpeedSummaryEmpty">
        <source>Fan speed history, no readings yet</source>
        <translation>Fan speed history, no readings yet</translation>
    </message>
    <message id="dashboard.chart.gpuMaxLegend">
        <source>GPU max</source>
        <translation>GPU max</translation>
    </message>
    <message id="dashboard.chart.temperatureSummary">
        <source>Temperature history, %1: CPU max %2, GPU max %3</source>
        <translation>Temperature history, %1: CPU max %2, GPU max %3</translation>
    </message>
    <message id="dashboard.chart.temperatureSummaryEmpty">
        <source>Temperature history, no readings yet</source>
        <translation>Temperature history, no readings yet</translation>
    </message>
    <message id="dashboard.fans.differentSpeedsNote">
        <source>Fans can run at different speeds: each has its own range, and macOS may ask more of one than the other.</source>
        <translation>Fans can run at different speeds: each has its own range, and macOS may ask more of one than the other.</translation>
    </message>
    <message id="dashboard.fans.title">
        <source>Fans</source>
        <translation>Fans</translation>
    </message>
    <message id="dashboard.helperBanner.message">
        <source>The helper isn’t installed, so Brisvane can only show temperatures and fan speeds. Install it in Settings to control the fans.</source>
        <translation>The helper isn’t installed, so Brisvane can only show temperatures and fan speeds. Install it in Settings to control the fans.</translation>
    </message>
    <message id="dashboard.history.collectingSubtitle">
        <source>The charts appear after a few readings.</source>
        <translation>The charts appear after a few readings.</translation>
    </message>
    <message id="dashboard.history.collectingTitle">
        <source>Collecting Data…</source>
        <translation>Collecting Data…</translation>
    </message>
    <message id="dashboard.history.title">
        <source>History</source>
        <translation>History</translation>
    </message>
    <message id="dashboard.history.windowFallback">
        <source>Since launch</source>
        <translation>Since launch</translation>
    </message>
    <message id="dashboard.history.windowLastMinute">
        <source>Last minute</source>
        <translation>Last minute</translation>
    </message>
    <message id="dashboard.history.windowLastMinutes">
        <source>Last %1 minutes</source>
        <translation>Last %1 minutes</translation>
    </message>
    <message id="dashboard.loading.subtitle">
        <source>Reading the temperature sensors and fans.</source>
        <translation>Reading the temperature sensors and fans.</translation>
    </message>
    <message id="dashboard.loading.title">
        <source>Waiting for Sensors…</source>
        <translation>Waiting for Sensors…</translation>
    </message>
    <message id="dashboard.temperature.averageAccessibleName">
        <source>%1 average</source>
        <translation>%1 average</translation>
    </message>
    <message id="dashboard.temperature.averageLabel">
        <source>Average</source>
        <translation>Average</translation>
    </message>
    <message id="dashboard.temperature.cpuTitle">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="dashboard.temperature.gpuTitle">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="dashboard.temperature.hottestCoreCaption">
        <source>Hottest core: %1 °C</source>
        <translation>Hottest core: %1 °C</translation>
    </message>
    <message id="dashboard.temperature.sessionPeak">
        <source>Peak this session: %1 °C</source>
        <translation>Peak this session: %1 °C</translation>
    </message>
    <message id="dashboard.unsupported.message">
        <source>Brisvane couldn’t find any fans it can read on this Mac.</source>
        <translation>Brisvane couldn’t find any fans it can read on this Mac.</translation>
    </message>
    <message id="dashboard.unsupported.title">
        <source>No Fans Found</source>
        <translation>No Fans Found</translation>
    </message>
    <message id="mainWindow.presetBar.hardwareFailure">
        <source>The fans did not accept manual control</source>
        <translation>The fans did not accept manual control</translation>
    </message>
    <message id="mainWindow.presetBar.helperMissing">
        <source>Install the helper to switch presets</source>
        <translation>Install the helper to switch presets</translation>
    </message>
    <message id="mainWindow.presetBar.morePresets">
        <source>More Presets</source>
        <translation>More Presets</translation>
    </message>
    <message id="mainWindow.section.curves">
        <source>Curves</source>
        <translation>Curves</translation>
    </message>
    <message id="mainWindow.section.dashboard">
        <source>Dashboard</source>
        <translation>Dashboard</translation>
    </message>
    <message id="mainWindow.section.presets">
        <source>Presets</source>
        <translation>Presets</translation>
    </message>
    <message id="mainWindow.section.settings">
        <source>Settings</source>
        <translation>Settings</translation>
    </message>
    <message id="mainWindow.sectionPicker.label">
        <source>Section</source>
        <translation>Section</translation>
    </message>
    <message id="menuBar.boost.caption">
        <source>Boost</source>
        <translation>Boost</translation>
    </message>
    <message id="menuBar.boost.percent">
        <source>%1%</source>
        <translation>%1%</translation>
    </message>
    <message id="menuBar.fan.parked">
        <source>Stopped</source>
        <translation>Stopped</translation>
    </message>
    <message id="menuBar.fan.rpmUnit">
        <source>RPM</source>
        <translation>RPM</translation>
    </message>
    <message id="menuBar.helperMissing.body">
        <source>Install the helper in Settings to let Brisvane control the fans.</source>
        <translation>Install the helper in Settings to let Brisvane control the fans.</translation>
    </message>
    <message id="menuBar.helperMissing.title">
        <source>Helper Not Installed</source>
        <translation>Helper Not Installed</translation>
    </message>
    <message id="menuBar.item.fanSpeed">
        <source>%1 rpm</source>
        <translation>%1 rpm</translation>
    </message>
    <message id="menuBar.item.temperature">
        <source>%1°</source>
        <translation>%1°</translation>
    </message>
    <message id="menuBar.openApplicationButton">
        <source>Open Brisvane</source>
        <translation>Open Brisvane</translation>
    </message>
    <message id="menuBar.openSettingsButton">
        <source>Open Settings</source>
        <translation>Open Settings</translation>
    </message>
    <message id="menuBar.panel.title">
        <source>Brisvane Menu</source>
        <translation>Brisvane Menu</translation>
    </message>
    <message id="menuBar.preset.caption">
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message id="menuBar.quitButton">
        <source>Quit</source>
        <translation>Quit</translation>
    </message>
    <message id="menuBar.quitButton.help">
        <source>Quit Brisvane and hand the fans back to macOS</source>
        <translation>Quit Brisvane and hand the fans back to macOS</translation>
    </message>
    <message id="menuBar.temperature.cpu">
        <source>CPU</source>
        <translation>CPU</translation>
    </message>
    <message id="menuBar.temperature.degrees">
        <source>%1 °C</source>
        <translation>%1 °C</translation>
    </message>
    <message id="menuBar.temperature.gpu">
        <source>GPU</source>
        <translation>GPU</translation>
    </message>
    <message id="menuBar.waitingForSensors">
        <source>Waiting for sensors…</source>
        <translation>Waiting for sensors…</translation>
    </message>
    <message id="preset.builtIn.cool.name">
        <source>Cool</source>
        <translation>Cool</translation>
    </message>
    <message id="preset.builtIn.fullSpeed.name">
        <source>Full Speed</source>
        <translation>Full Speed</translation>
    </message>
    <message id="presets.card.activeBadge">
        <source>Active</source>
        <translation>Active</translation>
    </message>
    <message id="presets.card.automaticCaption">
        <source>macOS controls the fans</source>
        <translation>macOS controls the fans</translation>
    </message>
    <message id="presets.card.automaticHelp">
        <source>Leave the fans to macOS, as if Brisvane weren’t running.</source>
        <translation>Leave the fans to macOS, as if Brisvane weren’t running.</translation>
    </message>
    <message id="presets.card.builtInCurveCaption">
        <source>Built-in curve</source>
        <translation>Built-in curve</translation>
    </message>
    <message id="presets.card.coolCaption">
        <source>Quiet when idle, stronger as it warms up</source>
        <translation>Quiet when idle, stronger as it warms up</translation>
    </message>
    <message id="presets.card.sourceCaption">
        <source>%1 · follows %2</source>
        <translation>%1 · follows %2</translation>
    </message>
    <message id="presets.card.customCurveCaption">
        <source>Your own curve</source>
        <translation>Your own curve</translation>
    </message>
    <message id="presets.card.fullSpeedCaption">
        <source>Every fan at maximum</source>
        <translation>Every fan at maximum</translation>
    </message>
    <message id="presets.card.limitReached">
        <source>Preset Limit Reached</source>
        <translation>Preset Limit Reached</translation>
    </message>
    <message id="presets.card.newPreset">
        <source>New Preset</source>
        <translation>New Preset</translation>
    </message>
    <message id="presets.contextMenu.activate">
        <source>Activate</source>
        <translation>Activate</translation>
    </message>
    <message id="presets.contextMenu.delete">
        <source>Delete…</source>
        <translation>Delete…</translation>
    </message>
    <message id="presets.contextMenu.duplicate">
        <source>Duplicate</source>
        <translation>Duplicate</translation>
    </message>
    <message id="presets.contextMenu.rename">
        <source>Rename…</source>
        <translation>Rename…</translation>
    </message>
    <message id="presets.delete.confirm">
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message id="presets.delete.message">
        <source>Its curve is deleted too. This can’t be undone.</source>
        <translation>Its curve is deleted too. This can’t be undone.</translation>
    </message>
    <message id="presets.delete.titleFallback">
        <source>Delete this preset?</source>
        <translation>Delete this preset?</translation>
    </message>
    <message id="presets.delete.titleNamed">
        <source>Delete “%1”?</source>
        <translation>Delete “%1”?</translation>
    </message>
    <message id="presets.dialog.cancel">
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message id="presets.contextMenu.export">
        <source>Export…</source>
        <translation>Export…</translation>
    </message>
    <message id="presets.contextMenu.import">
        <source>Import…</source>
        <translation>Import…</translation>
    </message>
    <message id="presets.export.dialogTitle">
        <source>Export Preset</source>
        <translation>Export Preset</translation>
    </message>
    <message id="presets.export.failedTitle">
        <source>The preset could not be exported</source>
        <translation>The preset could not be exported</translation>
    </message>
    <message id="presets.export.replace">
        <source>Replace</source>
        <translation>Replace</translation>
    </message>
    <message id="presets.export.replaceMessage">
        <source>A file of this name is already in this folder. Replacing it overwrites what it holds.</source>
        <translation>A file of this name is already in this folder. Replacing it overwrites what it holds.</translation>
    </message>
    <message id="presets.export.replaceTitle">
        <source>Replace “%1”?</source>
        <translation>Replace “%1”?</translation>
    </message>
    <message id="presets.file.nameFilter">
        <source>Preset files (*.json)</source>
        <translation>Preset files (*.json)</translation>
    </message>
    <message id="presets.fileError.ok">
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message id="presets.import.dialogTitle">
        <source>Import Presets</source>
        <translation>Import Presets</translation>
    </message>
    <message id="presets.import.failedTitle">
        <source>The presets could not be imported</source>
        <translation>The presets could not be imported</translation>
    </message>
    <message id="presets.import.limitReached">
        <source>Preset limit reached: there can be at most %1 presets of your own.</source>
        <translation>Preset limit reached: there can be at most %1 presets of your own.</translation>
    </message>
    <message id="presets.duplicate.name">
        <source>%1 Copy</source>
        <translation>%1 Copy</translation>
    </message>
    <message id="presets.explainer">
        <source>Choose how the fans run: pick a preset to follow its curve, or Automatic to leave them to macOS. Drag the cards to change their order.</source>
        <translation>Choose how the fans run: pick a preset to follow its curve, or Automatic to leave them to macOS. Drag the cards to change their order.</translation>
    </message>
    <message id="presets.limitReachedHelp">
        <source>You can have up to %1 presets of your own. Delete one to make room.</source>
        <translation>You can have up to %1 presets of your own. Delete one to make room.</translation>
    </message>
    <message id="presets.newPresetDefaultName">
        <source>New Preset</source>
        <translation>New Preset</translation>
    </message>
    <message id="presets.rename.confirm">
        <source>Rename</source>
        <translation>Rename</translation>
    </message>
    <message id="presets.rename.fieldLabel">
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message id="presets.rename.title">
        <source>Rename Preset</source>
        <translation>Rename Preset</translation>
    </message>
    <message id="settings.about.applicationName">
        <source>Brisvane</source>
        <translation>Brisvane</translation>
    </message>
    <message id="settings.about.helperVersionLabel">
        <source>Helper version</source>
        <translation>Helper version</translation>
    </message>
    <message id="settings.about.optimisedForCaption">
        <source>Optimized for Macs with Apple silicon</source>
        <translation>Optimized for Macs with Apple silicon</translation>
    </message>
    <message id="settings.about.sectionTitle">
        <source>About</source>
        <translation>About</translation>
    </message>
    <message id="settings.about.versionLabel">
        <source>Version</source>
        <translation>Version</translation>
    </message>
    <message id="settings.alerts.fans.subtitle">
        <source>A notification when a fan stops turning although it should.</source>
        <translation>A notification when a fan stops turning although it should.</translation>
    </message>
    <message id="settings.alerts.fans.title">
        <source>Fan alerts</source>
        <translation>Fan alerts</translation>
    </message>
    <message id="settings.alerts.sectionTitle">
        <source>Alerts</source>
        <translation>Alerts</translation>
    </message>
    <message id="settings.alerts.temperature.off">
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message id="settings.alerts.temperature.subtitle">
        <source>A notification when the hottest die stays at this temperature or above for 10 seconds.</source>
        <translation>A notification when the hottest die stays at this temperature or above for 10 seconds.</translation>
    </message>
    <message id="settings.alerts.temperature.title">
        <source>Temperature alert</source>
        <translation>Temperature alert</translation>
    </message>
    <message id="settings.fanBoost.sectionTitle">
        <source>Fan Control</source>
        <translation>Fan Control</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.average">
        <source>Average</source>
        <translation>Average</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.hottest">
        <source>Hottest core</source>
        <translation>Hottest core</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.subtitle">
        <source>The temperature the fan curves follow: the CPU and GPU average, or the hottest single core.</source>
        <translation>The temperature the fan curves follow: the CPU and GPU average, or the hottest single core.</translation>
    </message>
    <message id="settings.fanBoost.temperatureSource.title">
        <source>Temperature source</source>
        <translation>Temperature source</translation>
    </message>
    <message id="settings.general.hideDockIcon.subtitle">
        <source>Brisvane stays in the menu bar after you close its window.</source>
        <translation>Brisvane stays in the menu bar after you close its window.</translation>
    </message>
    <message id="settings.general.hideDockIcon.title">
        <source>Hide Dock icon when the window is closed</source>
        <translation>Hide Dock icon when the window is closed</translation>
    </message>
    <message id="settings.general.launchAtLogin.error.register">
        <source>Brisvane could not be added to the apps that open at login: %1</source>
        <translation>Brisvane could not be added to the apps that open at login: %1</translation>
    </message>
    <message id="settings.general.launchAtLogin.error.unregister">
        <source>Brisvane could not be removed from the apps that open at login: %1</source>
        <translation>Brisvane could not be removed from the apps that open at login: %1</translation>
    </message>
    <message id="settings.general.launchAtLogin.subtitle">
        <source>Start Brisvane automatically when you log in.</source>
        <translation>Start Brisvane automatically when you log in.</translation>
    </message>
    <message id="settings.general.launchAtLogin.title">
        <source>Launch at login</source>
        <translation>Launch at login</translation>
    </message>
    <message id="settings.general.sectionTitle">
        <source>General</source>
        <translation>General</translation>
    </message>
    <message id="settings.helper.error.adminScriptFailed">
        <source>The administrator script failed: %1</source>
        <translation>The administrator script failed: %1</translation>
    </message>
    <message id="settings.helper.error.filesNotInPlace">
        <source>The installer finished, but the helper&apos;s files are not in place.</source>
        <translation>The installer finished, but the helper&apos;s files are not in place.</translation>
    </message>
    <message id="settings.helper.error.helperNotAnswering">
        <source>The helper was installed but does not answer.</source>
        <translation>The helper was installed but does not answer.</translation>
    </message>
    <message id="settings.helper.error.resourcesMissing">
        <source>The helper files are missing from the app. Reinstall Brisvane and try again.</source>
        <translation>The helper files are missing from the app. Reinstall Brisvane and try again.</translation>
    </message>
    <message id="settings.helper.installButton">
        <source>Install Helper</source>
        <translation>Install Helper</translation>
    </message>
    <message id="settings.helper.outdatedNotice">
        <source>The installed helper is outdated. Reinstall it to update.</source>
        <translation>The installed helper is outdated. Reinstall it to update.</translation>
    </message>
    <message id="settings.helper.reinstallButton">
        <source>Reinstall</source>
        <translation>Reinstall</translation>
    </message>
    <message id="settings.helper.reinstallHelperButton">
        <source>Reinstall Helper</source>
        <translation>Reinstall Helper</translation>
    </message>
    <message id="settings.helper.safety.automaticRelease">
        <source>If Brisvane quits, crashes or the Mac goes to sleep, the fans return to macOS within seconds.</source>
        <translation>If Brisvane quits, crashes or the Mac goes to sleep, the fans return to macOS within seconds.</translation>
    </message>
    <message id="settings.helper.safety.boostOnly">
        <source>The helper only ever speeds fans up: it never runs a fan slower than macOS asks for.</source>
        <translation>The helper only ever speeds fans up: it never runs a fan slower than macOS asks for.</translation>
    </message>
    <message id="settings.helper.safety.macOSProtection">
        <source>A temperature safety floor keeps the fans fast enough however low a curve is set.</source>
        <translation>A temperature safety floor keeps the fans fast enough however low a curve is set.</translation>
    </message>
    <message id="settings.helper.safety.title">
        <source>How the helper keeps your Mac safe</source>
        <translation>How the helper keeps your Mac safe</translation>
    </message>
    <message id="settings.helper.sectionTitle">
        <source>Helper</source>
        <translation>Helper</translation>
    </message>
    <message id="settings.helper.status.installed.description">
        <source>The helper is installed and sets the fan speeds your preset asks for.</source>
        <translation>The helper is installed and sets the fan speeds your preset asks for.</translation>
    </message>
    <message id="settings.helper.status.installed.title">
        <source>Helper installed</source>
        <translation>Helper installed</translation>
    </message>
    <message id="settings.helper.status.notInstalled.description">
        <source>To set fan speeds, Brisvane needs a small helper that you install once with your administrator password.</source>
        <translation>To set fan speeds, Brisvane needs a small helper that you install once with your administrator password.</translation>
    </message>
    <message id="settings.helper.status.notInstalled.title">
        <source>Helper not installed</source>
        <translation>Helper not installed</translation>
    </message>
    <message id="settings.helper.status.unreachable.description">
        <source>The helper is installed but doesn’t respond. Reinstalling it usually fixes this.</source>
        <translation>The helper is installed but doesn’t respond. Reinstalling it usually fixes this.</translation>
    </message>
    <message id="settings.helper.status.unreachable.title">
        <source>Helper not responding</source>
        <translation>Helper not responding</translation>
    </message>
    <message id="settings.helper.uninstallButton">
        <source>Uninstall</source>
        <translation>Uninstall</translation>
    </message>
    <message id="settings.helper.unlockingCaption">
        <source>Taking control of the fans…</source>
        <translation>Taking control of the fans…</translation>
    </message>
    <message id="shared.fan.left">
        <source>Left fan</source>
        <translation>Left fan</translation>
    </message>
    <message id="shared.fan.numbered">
        <source>Fan %1</source>
        <translation>Fan %1</translation>
    </message>
    <message id="shared.fan.right">
        <source>Right fan</source>
        <translation>Right fan</translation>
    </message>
    <message id="shared.mode.automatic">
        <source>Automatic</source>
        <translation>Automatic</translation>
    </message>
    <message id="shared.mode.boosting">
        <source>Boosting</source>
        <translation>Boosting</translation>
    </message>
    <message id="shared.mode.controlUnavailable">
        <source>Fan control unavailable</source>
        <translation>Fan control unavailable</translation>
    </message>
    <message id="shared.mode.startingBoost">
        <source>Starting boost…</source>
        <translation>Starting boost…</translation>
    </message>
</context>
</TS>
